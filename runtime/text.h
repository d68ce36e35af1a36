// Bounded byte-string helpers shared by every part of the launcher.
//
// The launcher works on fixed-size stack buffers of ANSI text. These helpers never
// write more than the destination size (zero included) and tell the caller whether
// the whole source fitted, so that nothing is ever copied past a buffer's end.
// They use no C runtime, so the same code serves the Windows build and the host tests.
#ifndef START_TEXT_H
#define START_TEXT_H

// Length of a zero-terminated string.
int TextLength(const char* text);

// Copies `source` into `target` (of `size` bytes), cutting it to size - 1 bytes.
// Returns true when nothing was cut. A size of 0 writes nothing.
bool CopyText(char* target, int size, const char* source);

// Appends `source` to the zero-terminated string in `target` (of `size` bytes),
// cutting it so that the result keeps its terminating zero. Returns true when
// nothing was cut.
bool AppendText(char* target, int size, const char* source);

// Fills `count` bytes with zeros.
void ClearBytes(void* target, unsigned count);

#endif
