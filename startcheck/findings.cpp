#include "findings.h"

namespace {

std::vector<Finding> g_findings;

}  // namespace

void Report(Severity severity, const std::string& section, const std::string& key, int line,
            const std::string& message)
{
    g_findings.push_back({severity, section, key, line, message});
}

const std::vector<Finding>& Findings()
{
    return g_findings;
}

bool HasFinding(const std::string& section, const std::string& key)
{
    for (const Finding& f : g_findings)
        if (f.section == section && f.key == key)
            return true;
    return false;
}

int CountFindings(Severity severity)
{
    int count = 0;
    for (const Finding& f : g_findings)
        count += f.severity == severity ? 1 : 0;
    return count;
}
