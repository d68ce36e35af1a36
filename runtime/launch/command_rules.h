// Expansion of the presentation command. Pure, so the host tests can drive it.
#ifndef START_COMMAND_RULES_H
#define START_COMMAND_RULES_H

// Size of the presentation command and of its expansion, the zero included.
const int kCommandSize = 512;

// Expands `format` into `command` (of `size` bytes): every "%s" becomes
// `directory`, "%%" becomes one '%', and any other '%' is copied as written, so
// that no conversion ever reads an argument that is not there. A longer result
// is cut to size - 1 bytes. Returns true when nothing was cut.
bool ExpandCommand(const char* format, const char* directory, char* command, int size);

#endif
