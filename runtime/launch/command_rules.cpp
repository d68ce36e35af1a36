#include "command_rules.h"

#include "../text.h"

bool ExpandCommand(const char* format, const char* directory, char* command, int size)
{
    if (size <= 0)
        return false;
    command[0] = 0;
    bool whole = true;
    char single[2] = {0, 0};
    for (int at = 0; format[at] != 0; ++at) {
        if (format[at] == '%' && format[at + 1] == 's') {
            whole = AppendText(command, size, directory) && whole;
            ++at;
            continue;
        }
        if (format[at] == '%' && format[at + 1] == '%')
            ++at;
        single[0] = format[at];
        whole = AppendText(command, size, single) && whole;
    }
    return whole;
}
