// Checks of the entries as written: keys the launcher does not read, sections
// and keys written twice, comments that are not comments, and values whose
// enclosing quotation marks are removed when they are read.
#ifndef STARTCHECK_KEYS_H
#define STARTCHECK_KEYS_H

#include "inf_file.h"

void CheckWrittenEntries(const InfFile& file);

#endif
