// The report: UTF-8 into a pipe or a file, the console's Unicode output on a
// Windows console, so that every text shows right on any terminal. With --json,
// only the findings are written, one JSON object per line.
#ifndef STARTCHECK_REPORT_H
#define STARTCHECK_REPORT_H

#include <string>

void SetJsonOutput(bool json);

// Writes UTF-8 text (a line of the human-readable report; nothing with --json).
void Print(const std::string& utf8);

// "  <name padded to width> <value>\n"
void PrintField(int indent, const std::string& name, int width, const std::string& value);

// The findings and the closing count, as text or as JSON lines.
void PrintFindings();

// "\"text\"" for a report line.
std::string Quote(const std::string& text);

#endif
