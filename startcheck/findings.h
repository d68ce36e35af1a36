// The findings of a check: each one a severity, the place in start.inf it is
// about (section, key, line; any of them may be empty or 0) and a message. Every
// text in a finding is UTF-8, so that the report can show it on any terminal.
#ifndef STARTCHECK_FINDINGS_H
#define STARTCHECK_FINDINGS_H

#include <string>
#include <vector>

enum Severity { kError, kWarning };

struct Finding {
    Severity severity;
    std::string section;  // as written in the file, without brackets
    std::string key;
    int line;             // 1-based line of the file, 0 when none applies
    std::string message;
};

void Report(Severity severity, const std::string& section, const std::string& key, int line,
            const std::string& message);

const std::vector<Finding>& Findings();

// True when a finding of this section and key exists.
bool HasFinding(const std::string& section, const std::string& key);

int CountFindings(Severity severity);

#endif
