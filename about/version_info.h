#ifndef TESSALY_ABOUT_VERSION_INFO_H
#define TESSALY_ABOUT_VERSION_INFO_H

#include <windows.h>

// Reading a file's version resource, for the About box's texts.

// The file's whole version resource in a heap block the caller frees (free),
// or null when the file has none, no translation table, or there is no
// memory. `translation` then points into the block at the first translation
// entry: the language id in the low 16 bits, the code page in the high 16.
void* VersionLoad(const char* path, DWORD** translation);

// Copies the string value `key` of the given translation into `buffer`, cut
// to size - 1 bytes without leaving half a double-byte character. Returns 1
// when the value exists, 0 when not (the buffer is then made empty).
int VersionGetString(char* buffer, int size, const void* block, DWORD translation, const char* key);

#endif
