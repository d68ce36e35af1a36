#include "plan.h"

#include <windows.h>

#include <vector>

#include "findings.h"
#include "launch/command_rules.h"
#include "locales.h"
#include "prereq/prereq_rules.h"
#include "prereq/probes.h"
#include "programs.h"
#include "report.h"
#include "settings/settings.h"

namespace {

const char kStart[] = "Start";
const int kWidth = 15;

std::string Shown(const std::string& bytes)
{
    return FromSystemCodePage(bytes);
}

std::string ReadStartText(const InfFile& file, const char* key, int size)
{
    std::vector<char> value(static_cast<size_t>(size));
    ReadSettingText(file.readPath.c_str(), kStart, key, "", value.data(), size);
    return value.data();
}

void Finding(Severity severity, const InfFile& file, const std::string& key,
             const std::string& message)
{
    Report(severity, kStart, key, LineOf(file, kStart, key), message);
}

// What the launcher does with a program that it finds but cannot start.
std::string CannotStartOutcome(const std::string& key)
{
    if (key == "DirectX")
        return "the DirectX step cannot start it and goes on without installing, without a word";
    if (key == "DXMedia") {
        DXMediaOutcome outcome = GetDXMediaOutcome(false, 0);
        return std::string("the user is asked (") + kInstallDXMediaKey +
               "), then the installer cannot be started: the box " + outcome.messageKey +
               " is shown and the launch " + (outcome.proceed ? "goes on" : "stops");
    }
    if (key == "Script")
        return std::string("the user is asked (") + kInstallScriptKey +
               "), then the installer cannot be started: the box " + kUnknownErrorKey +
               " is shown and the launch stops (exit code 1)";
    return "nothing starts, and the splash goes away at once";
}

// Whether the program at `found` can be started; reports what it is when not.
void CheckProgramFile(const InfFile& file, const std::string& key, const std::string& found)
{
    std::string what;
    ProgramKind kind = ClassifyProgram(found, &what);
    std::string name = Quote(Shown(found));
    switch (kind) {
    case kProgramWin32:
        break;
    case kProgram16Bit:
        Finding(kWarning, file, key,
                name + " is " + what + ": no 64-bit Windows can start it; there " +
                    CannotStartOutcome(key));
        break;
    case kProgramScript:
        Finding(kWarning, file, key,
                name + " is " + what + ": Windows 95 and 98 may not start it through "
                "CreateProcessA, and a console window flashes on every system (name a "
                "Windows program)");
        break;
    default:
        Finding(kError, file, key,
                name + " is " + what + ": CreateProcessA cannot start it, so " +
                    CannotStartOutcome(key));
        break;
    }
    if (!IsOnDisc(found, file.folder))
        Finding(kWarning, file, key,
                name + " is not on the disc: it was found on this machine, and the customer's "
                       "machine may not have it");
}

void PrintProgram(const std::string& program, const std::string& state)
{
    PrintField(4, "program", 13, Quote(Shown(program)) + ": " + state);
}

void CheckInstaller(const InfFile& file, const char* key, std::string* command)
{
    *command = ReadStartText(file, key, kPathSize);
    PrintField(2, key, kWidth, command->empty() ? "(not set: nothing is installed)"
                                                : Shown(*command));
    if (command->empty())
        return;

    char programPath[kPathSize];
    GetProgramPath(command->c_str(), programPath, sizeof programPath);
    std::string program = programPath;
    // DirectX's command is started whole, with no check first; the other two
    // installers are looked for (a search pattern) before the user is asked.
    bool lookedFor = std::string(key) != "DirectX";
    if (HasWildcard(program)) {
        PrintProgram(program, "WILDCARD");
        Finding(kError, file, key,
                "program path " + Quote(Shown(program)) + " holds a wildcard: " +
                    (lookedFor ? "the launcher's check matches the pattern, but "
                                 "CreateProcessA takes the name literally, so " +
                                     CannotStartOutcome(key)
                               : CannotStartOutcome(key)));
        return;
    }
    std::string tried;
    std::string started = FindStartedProgram(*command, file.folder, &tried);
    if (!lookedFor) {
        PrintProgram(started.empty() ? tried : started, started.empty() ? "NOT FOUND" : "found");
        if (started.empty())
            Finding(kError, file, key,
                    "program " + Quote(Shown(tried)) +
                        " not found: the launcher skips the installation without a word");
        else
            CheckProgramFile(file, key, started);
        return;
    }

    bool found = FileExists(programPath);
    PrintProgram(program, found ? "found" : "NOT FOUND");
    if (found) {
        char full[MAX_PATH];
        char* name = NULL;
        std::string path = GetFullPathNameA(programPath, sizeof full, full, &name) > 0 ? full
                                                                                      : program;
        CheckProgramFile(file, key, started.empty() ? path : started);
        return;
    }
    if (program.empty()) {
        Finding(kError, file, key,
                "begins with a blank: the program path is empty, so the installation is never "
                "offered");
    } else if (program[0] == '"' || program[0] == '\'') {
        Finding(kError, file, key,
                "program path " + Quote(Shown(program)) +
                    " is in quotation marks, which the launcher does not remove: it is never "
                    "found, so the installation is never offered");
    } else {
        // A longer piece up to a later blank that names a file: the path has a blank.
        for (size_t at = program.size() + 1; at <= command->size(); ++at) {
            if (at < command->size() && (*command)[at] != ' ')
                continue;
            std::string longer = command->substr(0, at);
            if (FileExists(longer.c_str())) {
                Finding(kError, file, key,
                        "program path cut at a blank: the launcher looks for " +
                            Quote(Shown(program)) + ", but the program is " +
                            Quote(Shown(longer)) +
                            "; the installation is never offered (use a path without blanks)");
                return;
            }
        }
        Finding(kError, file, key,
                "program " + Quote(Shown(program)) +
                    " not found: the launcher skips the installation without a word");
    }
}

// Whether the raw text is a plain decimal number, as the launcher's integer
// lookup reads it in full.
bool IsPlainDecimal(const std::string& text)
{
    if (text.empty())
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

int CheckInteger(const InfFile& file, const char* key, int fallback)
{
    int value = ReadSettingInt(file.readPath.c_str(), kStart, key, fallback);
    const InfEntry* entry = FindEntry(FindSection(file, kStart), key);
    if (entry != NULL && !IsPlainDecimal(entry->value))
        Finding(kWarning, file, key,
                Quote(Shown(entry->value)) + " is not a plain decimal number; the launcher reads " +
                    std::to_string(value));
    return value;
}

void CheckLength(const InfFile& file, const char* key, int size)
{
    const InfEntry* entry = FindEntry(FindSection(file, kStart), key);
    std::string whole = entry ? ValueAsRead(entry->value) : "";
    size_t limit = static_cast<size_t>(size - 1);
    if (whole.size() <= limit)
        return;
    size_t from = limit > 24 ? limit - 24 : 0;
    Finding(kWarning, file, key,
            "is " + std::to_string(whole.size()) + " bytes long; the launcher keeps only the first " +
                std::to_string(limit) + ": ..." + Shown(whole.substr(from, limit - from)) +
                " <cut> " + Shown(whole.substr(limit, 24)) + "...");
}

// Returns the command as read.
std::string CheckOpen(const InfFile& file)
{
    std::string format = ReadStartText(file, "open", kCommandSize);
    PrintField(2, "open", kWidth, format.empty() ? "(not set: nothing is started)" : Shown(format));
    if (format.empty()) {
        Finding(kWarning, file, "open",
                "is not set: the disc starts nothing (the splash shows for an instant and the "
                "launcher ends)");
        return format;
    }

    std::string others;
    int folders = 0;
    for (size_t at = 0; at < format.size(); ++at) {
        if (format[at] != '%')
            continue;
        char next = at + 1 < format.size() ? format[at + 1] : 0;
        if (next == 's') {
            ++folders;
        } else if (next != '%') {
            others += (others.empty() ? "" : ", ") + std::string("%") + (next ? std::string(1, next) : "");
        }
        if (next == 's' || next == '%')
            ++at;
    }
    if (!others.empty())
        Finding(kWarning, file, "open",
                "holds " + Shown(others) + ": only %s (the launcher's folder) and %% (one %) are "
                                           "conversions; the rest is passed on as written");

    char expanded[kCommandSize];
    bool fits = ExpandCommand(format.c_str(), file.folder.c_str(), expanded, sizeof expanded);
    PrintField(4, "expanded", 13, Shown(expanded));
    if (!fits) {
        char bare[kCommandSize];
        ExpandCommand(format.c_str(), "", bare, sizeof bare);
        int fixed = static_cast<int>(strlen(bare));
        std::string longest = folders > 0 ? std::to_string((kCommandSize - 1 - fixed) / folders)
                                          : std::string("none");
        Finding(kError, file, "open",
                "expands to more than " + std::to_string(kCommandSize - 1) +
                    " bytes for this folder and is cut; the longest folder that still fits is " +
                    longest + " bytes (this one: " + std::to_string(file.folder.size()) + ")");
    }
    std::string command = expanded;
    std::string tried;
    std::string first = command[0] == '"' ? command.substr(1, command.find('"', 1) - 1)
                                          : command.substr(0, command.find(' '));
    if (HasWildcard(first)) {
        PrintProgram(first, "WILDCARD");
        Finding(kError, file, "open",
                "program " + Quote(Shown(first)) + " holds a wildcard, which CreateProcessA takes "
                "literally: " + CannotStartOutcome("open"));
        return format;
    }
    std::string program = FindStartedProgram(command, file.folder, &tried);
    PrintProgram(program.empty() ? tried : program, program.empty() ? "NOT FOUND" : "found");
    if (program.empty())
        Finding(kError, file, "open",
                "program " + Quote(Shown(tried)) + " not found in this folder: nothing would start");
    else
        CheckProgramFile(file, "open", program);
    return format;
}

// A path with non-ASCII bytes names another file for users of another code
// page: the disc's names are Unicode, and Windows converts the path with the
// user's code page before it looks for the file.
void CheckNonAsciiPath(const InfFile& file, const char* key, const std::string& value)
{
    if (!HasNonAscii(value))
        return;
    std::vector<const ReaderLocale*> all;
    for (const ReaderLocale& locale : AllLocales())
        all.push_back(&locale);
    std::string own = Shown(value);
    std::string differing;
    for (unsigned page : CodePagesOf(all)) {
        std::string shown;
        if (!DecodeCodePage(value, page, &shown) || shown != own)
            differing += (differing.empty() ? "" : ", ") + std::to_string(page);
    }
    if (!differing.empty())
        Finding(kWarning, file, key,
                "holds non-ASCII characters, which users of code pages " + differing +
                    " read as other characters: their Windows looks for another name and may "
                    "not find the program (use ASCII names on the disc)");
}

}  // namespace

void CheckLaunchPlan(const InfFile& file, LaunchPlan* plan)
{
    Print("\nLaunch plan (as the launcher reads it)\n");
    Print("  Installer paths that are not full are looked for in the current folder: the disc\n"
          "  root, " + Shown(file.folder) + ", when AutoPlay or Explorer starts Start.exe there.\n");
    std::string directX;
    CheckInstaller(file, "DirectX", &directX);
    CheckInstaller(file, "DXMedia", &plan->dxMedia);
    if (!plan->dxMedia.empty())
        PrintField(2, "DXMediaVersion", kWidth, std::to_string(CheckInteger(file, "DXMediaVersion", 600)));
    CheckInstaller(file, "Script", &plan->script);
    plan->splash = CheckInteger(file, "splash", 1);
    PrintField(2, "splash", kWidth, std::to_string(plan->splash) + (plan->splash ? ": shown" : ": off"));
    std::string open = CheckOpen(file);

    const struct {
        const char* key;
        const std::string& command;
    } commands[] = {{"DirectX", directX}, {"DXMedia", plan->dxMedia}, {"Script", plan->script}};
    for (const auto& c : commands) {
        CheckLength(file, c.key, kPathSize);
        CheckNonAsciiPath(file, c.key, c.command);
    }
    CheckLength(file, "open", kCommandSize);
    CheckNonAsciiPath(file, "open", open);
}
