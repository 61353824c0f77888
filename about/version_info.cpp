#include "about/version_info.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/sjis_path.h"

namespace {

constexpr int kQuerySize = 261;

}  // namespace

void* VersionLoad(const char* path, DWORD** translation)
{
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path, &ignored);
    if (size == 0) return nullptr;
    void* block = malloc(size);
    if (!block) return nullptr;
    void* entry = nullptr;
    UINT length = 0;
    // A translation table without a whole entry would send the reader past it.
    if (GetFileVersionInfoA(path, 0, size, block) &&
        VerQueryValueA(block, "\\VarFileInfo\\Translation", &entry, &length) && entry &&
        length >= sizeof(DWORD)) {
        if (translation) *translation = static_cast<DWORD*>(entry);
        return block;
    }
    free(block);
    return nullptr;
}

int VersionGetString(char* buffer, int size, const void* block, DWORD translation, const char* key)
{
    if (!buffer || size <= 0) return 0;
    buffer[0] = '\0';
    if (!block || !key) return 0;
    char query[kQuerySize];
    snprintf(query, sizeof query, "\\StringFileInfo\\%04x%04x\\%s",
             static_cast<unsigned>(LOWORD(translation)), static_cast<unsigned>(HIWORD(translation)),
             key);
    void* found = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block, query, &found, &length)) return 0;
    const char* value = static_cast<const char*>(found);
    if (!value) return 1;  // the key is there with no text

    int count = 0;
    while (count < size - 1 && value[count] != '\0') ++count;
    // Cut before a character whose second byte would not fit.
    if (value[count] != '\0' && count > 0 && SjisByteKind(value, count) == 2) --count;
    memcpy(buffer, value, static_cast<size_t>(count));
    buffer[count] = '\0';
    return 1;
}
