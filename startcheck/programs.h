// The programs that start.inf makes the launcher start: whether CreateProcessA
// can start them, and where Windows finds them.
#ifndef STARTCHECK_PROGRAMS_H
#define STARTCHECK_PROGRAMS_H

#include <string>

enum ProgramKind {
    kProgramWin32,      // PE for the i386 machine: starts everywhere
    kProgramOtherCpu,   // PE for another machine (x64, ARM, ...)
    kProgram16Bit,      // MS-DOS or 16-bit Windows: no 64-bit Windows starts it
    kProgramScript,     // .bat, .cmd or .pif: started through the command interpreter
    kProgramNotProgram, // anything else: CreateProcessA fails
    kProgramUnreadable,
};

// What the file at `path` is; `detail` says it in words ("a 64-bit (x64)
// program", "an MSI package, not a program", ...).
ProgramKind ClassifyProgram(const std::string& path, std::string* detail);

bool HasWildcard(const std::string& path);

// Finds the program of a command line the way CreateProcessA does when it is
// given no program name: a quoted first word, or else the text up to each blank
// in turn; ".exe" is added to a name without an extension; a name without a
// folder is looked for in the launcher's folder (the disc root), the current
// folder (the disc root too), the system folders, the Windows folder and PATH.
// Returns the full path found, or "" with `tried` set to the first candidate.
std::string FindStartedProgram(const std::string& command, const std::string& discFolder,
                               std::string* tried);

// Whether `fullPath` lies in `discFolder` (names compared without case).
bool IsOnDisc(const std::string& fullPath, const std::string& discFolder);

#endif
