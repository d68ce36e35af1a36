// startcheck: reads a presentation's start.inf as each user's Windows will and
// reports every mistake that the launcher would silently swallow, before the
// disc is made.
//
// The launch plan is read through the same profile functions and the same code
// as the launcher (program path cut, command expansion, integer reads). What
// Wine forgives and Windows does not (encodings above all) is decided from the
// file's bytes: the texts are read from them and decoded in the code page of
// each reader.
//
// Usage: startcheck [--json] <start.inf | folder that holds it>
// Exit code: 0 without errors, 1 with errors (or when the file cannot be read),
// 2 for a wrong command line.
#include <windows.h>

#include <cstring>

#include "encoding.h"
#include "findings.h"
#include "inf_file.h"
#include "keys.h"
#include "locales.h"
#include "plan.h"
#include "report.h"
#include "texts.h"

namespace {

void CheckStartSection(const InfFile& file)
{
    if (FindSection(file, "Start") != NULL || HasFinding("Start", ""))
        return;
    if (file.encoding == kEncodingUtf16Le || file.encoding == kEncodingUtf16Be)
        return;
    if (IsBlankText(file.bytes))
        return;  // the empty file has its own finding
    Report(kError, "Start", "", 0,
           "no [Start] section: the launcher installs nothing and starts nothing");
}

}  // namespace

int main(int argc, char** argv)
{
    const char* target = NULL;
    bool json = false;
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--json") == 0)
            json = true;
        else if (target == NULL)
            target = argv[i];
        else
            target = "";
    }
    if (target == NULL || target[0] == 0) {
        fprintf(stderr, "usage: startcheck [--json] <start.inf | folder that holds it>\n");
        return 2;
    }
    SetJsonOutput(json);
    InfFile file;
    if (!LoadInfFile(target, &file)) {
        Report(kError, "", "", 0,
               "cannot read " + FromSystemCodePage(file.path.empty() ? target : file.path));
        Print("startcheck: cannot read " + FromSystemCodePage(file.path.empty() ? target : file.path) + "\n");
        PrintFindings();
        ReleaseInfFile(&file);
        return 1;
    }
    // Relative program paths are looked for where the launcher starts: the disc root.
    SetCurrentDirectoryA(file.folder.c_str());
    CollectLocales();

    Print("start.inf checker: " + FromSystemCodePage(file.path) + "\n");
    CheckFileEncoding(file);
    CheckStartSection(file);
    LaunchPlan plan;
    CheckLaunchPlan(file, &plan);
    CheckTexts(file, plan);
    CheckLanguageSections(file);
    CheckWrittenEntries(file);
    PrintFindings();
    ReleaseInfFile(&file);
    return CountFindings(kError) > 0 ? 1 : 0;
}
