#include "text.h"

int TextLength(const char* text)
{
    int length = 0;
    while (text[length] != 0)
        ++length;
    return length;
}

bool CopyText(char* target, int size, const char* source)
{
    if (size <= 0)
        return source[0] == 0;
    target[0] = 0;
    return AppendText(target, size, source);
}

bool AppendText(char* target, int size, const char* source)
{
    if (size <= 0)
        return source[0] == 0;
    int at = TextLength(target);
    if (at > size - 1) {
        target[size - 1] = 0;
        return false;
    }
    int from = 0;
    while (source[from] != 0 && at < size - 1)
        target[at++] = source[from++];
    target[at] = 0;
    return source[from] == 0;
}

void ClearBytes(void* target, unsigned count)
{
    volatile unsigned char* bytes = static_cast<unsigned char*>(target);
    while (count-- > 0)
        *bytes++ = 0;
}
