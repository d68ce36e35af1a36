// The texts that users see, each decoded in the code page of the people who
// read it, and the language sections that Windows selects.
#ifndef STARTCHECK_TEXTS_H
#define STARTCHECK_TEXTS_H

#include <string>
#include <vector>

#include "inf_file.h"
#include "plan.h"

// Every message key the launcher reads, in the order a launch shows them, the
// splash text last.
std::vector<std::string> MessageKeys();

// Prints the texts of every reachable language section and of [Message], and
// reports missing texts, byte sequences a reader's code page cannot show, UTF-8
// text, non-ASCII text in [Message], and texts longer than the launcher keeps.
void CheckTexts(const InfFile& file, const LaunchPlan& plan);

// Reports language sections that no Windows language selects, and languages
// whose users get a section this file lacks.
void CheckLanguageSections(const InfFile& file);

#endif
