#include "programs.h"

#include <windows.h>

#include <cstdio>
#include <vector>

#include "inf_file.h"
#include "prereq/probes.h"

namespace {

const unsigned short kMachineI386 = 0x014C;

unsigned ReadWord(const unsigned char* at)
{
    return at[0] | (at[1] << 8);
}

unsigned long ReadLong(const unsigned char* at)
{
    return at[0] | (at[1] << 8) | (at[2] << 16) | (static_cast<unsigned long>(at[3]) << 24);
}

std::string Extension(const std::string& path)
{
    size_t dot = path.find_last_of('.');
    size_t separator = path.find_last_of("\\/");
    if (dot == std::string::npos || (separator != std::string::npos && dot < separator))
        return "";
    return Upper(path.substr(dot));
}

std::string MachineName(unsigned machine)
{
    switch (machine) {
    case 0x8664: return "x64";
    case 0xAA64: return "ARM64";
    case 0x01C0: case 0x01C4: return "ARM";
    case 0x0200: return "Itanium";
    default: {
        char hex[16];
        snprintf(hex, sizeof hex, "0x%04X", machine);
        return std::string("machine ") + hex;
    }
    }
}

// Folders searched for a program named without a folder, in CreateProcessA's
// order for the launcher: its own folder, the current folder (both the disc
// root when AutoPlay starts it), the system folders, the Windows folder, PATH.
std::string SearchFolders(const std::string& discFolder)
{
    char system[MAX_PATH] = {0};
    char windows[MAX_PATH] = {0};
    GetSystemDirectoryA(system, sizeof system);
    GetWindowsDirectoryA(windows, sizeof windows);
    std::string folders = discFolder + ";" + system + ";" + windows + "\\system;" + windows;
    DWORD size = GetEnvironmentVariableA("PATH", NULL, 0);
    if (size > 0) {
        std::vector<char> path(size + 1);
        GetEnvironmentVariableA("PATH", path.data(), size + 1);
        folders += ";" + std::string(path.data());
    }
    return folders;
}

}  // namespace

ProgramKind ClassifyProgram(const std::string& path, std::string* detail)
{
    std::string extension = Extension(path);
    if (extension == ".BAT" || extension == ".CMD" || extension == ".PIF") {
        *detail = "a " + extension.substr(1) + " file, started through the command interpreter";
        return kProgramScript;
    }
    FILE* stream = fopen(path.c_str(), "rb");
    if (stream == NULL) {
        *detail = "cannot be read";
        return kProgramUnreadable;
    }
    unsigned char header[512] = {0};
    size_t got = fread(header, 1, sizeof header, stream);
    unsigned char pe[24] = {0};
    bool hasPe = false;
    if (got >= 0x40 && header[0] == 'M' && header[1] == 'Z') {
        unsigned long offset = ReadLong(header + 0x3C);
        if (offset > 0 && offset < 0x10000000 && fseek(stream, static_cast<long>(offset), SEEK_SET) == 0)
            hasPe = fread(pe, 1, sizeof pe, stream) == sizeof pe;
    }
    fclose(stream);

    if (got >= 8 && ReadLong(header) == 0xE011CFD0 && ReadLong(header + 4) == 0xE11AB1A1) {
        *detail = extension == ".MSI" ? "an MSI package, not a program (it needs msiexec)"
                                      : "a compound document, not a program";
        return kProgramNotProgram;
    }
    if (got < 2 || header[0] != 'M' || header[1] != 'Z') {
        if (extension == ".COM" && got > 0) {
            *detail = "an MS-DOS program";
            return kProgram16Bit;
        }
        *detail = got == 0 ? "an empty file, not a program" : "not a program (no MZ header)";
        return kProgramNotProgram;
    }
    if (hasPe && pe[0] == 'P' && pe[1] == 'E' && pe[2] == 0 && pe[3] == 0) {
        unsigned machine = ReadWord(pe + 4);
        if (ReadWord(pe + 22) & 0x2000) {  // IMAGE_FILE_DLL
            *detail = "a DLL, not a program";
            return kProgramNotProgram;
        }
        if (machine == kMachineI386) {
            *detail = "a 32-bit Windows program";
            return kProgramWin32;
        }
        *detail = "a " + MachineName(machine) + " program, not one for 32-bit x86";
        return kProgramOtherCpu;
    }
    if (hasPe && pe[0] == 'N' && pe[1] == 'E') {
        *detail = "a 16-bit Windows program";
        return kProgram16Bit;
    }
    *detail = "an MS-DOS program";
    return kProgram16Bit;
}

bool HasWildcard(const std::string& path)
{
    return path.find_first_of("*?") != std::string::npos;
}

std::string FindStartedProgram(const std::string& command, const std::string& discFolder,
                               std::string* tried)
{
    std::vector<std::string> candidates;
    if (!command.empty() && command[0] == '"') {
        size_t close = command.find('"', 1);
        candidates.push_back(command.substr(1, close == std::string::npos ? std::string::npos
                                                                          : close - 1));
    } else {
        for (size_t at = 0; at <= command.size(); ++at)
            if (at == command.size() || command[at] == ' ')
                candidates.push_back(command.substr(0, at));
    }
    *tried = candidates.empty() ? "" : candidates.front();
    std::string folders = SearchFolders(discFolder);
    for (const std::string& candidate : candidates) {
        if (candidate.empty() || HasWildcard(candidate))
            continue;
        char found[MAX_PATH];
        if (SearchPathA(folders.c_str(), candidate.c_str(), ".exe", sizeof found, found, NULL) > 0 &&
            FileExists(found))
            return found;
    }
    return "";
}

bool IsOnDisc(const std::string& fullPath, const std::string& discFolder)
{
    char full[MAX_PATH];
    char* name = NULL;
    std::string path = fullPath;
    if (GetFullPathNameA(fullPath.c_str(), sizeof full, full, &name) > 0)
        path = full;
    return Upper(path).compare(0, discFolder.size(), Upper(discFolder)) == 0;
}
