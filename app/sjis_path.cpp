#include "app/sjis_path.h"

#include <cstring>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

bool IsLeadByte(unsigned char byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

bool IsTrailByte(unsigned char byte)
{
    return byte >= 0x40 && byte <= 0xFC && byte != 0x7F;
}

// Kind of `byte` given the kind of the byte before it. A byte that cannot
// follow a lead byte stands alone and does not start a new pair.
int NextKind(int previousKind, unsigned char byte)
{
    if (previousKind == 1) return IsTrailByte(byte) ? 2 : 0;
    return IsLeadByte(byte) ? 1 : 0;
}

}  // namespace

int SjisByteKind(const char* text, int index)
{
    if (text == nullptr || index < 0) return 0;
    // A byte's kind depends on every byte before it, so scan from the start.
    int kind = 0;
    for (int j = 0; text[j] != '\0'; ++j) {
        kind = NextKind(kind, static_cast<unsigned char>(text[j]));
        if (j == index) return kind;
    }
    return 0;
}

const char* SjisNextChar(const char* position)
{
    if (*position == '\0') return position;
    if (IsLeadByte(static_cast<unsigned char>(position[0])) && position[1] != '\0')
        return position + 2;
    return position + 1;
}

char* SjisNextChar(char* position)
{
    return const_cast<char*>(SjisNextChar(static_cast<const char*>(position)));
}

int IsSeparatorAt(const char* text, int index)
{
    if (text == nullptr || index < 0) return 0;
    // Bounds first: the byte is read only when the index lies inside the text.
    for (int j = 0; j <= index; ++j)
        if (text[j] == '\0') return 0;
    return text[index] == '\\' && SjisByteKind(text, index) == 0;
}

char* FindExtension(char* text)
{
    // The extension starts at the last '.' after the last separator. One
    // forward pass finds it with the kind of every byte known on the way;
    // a '.' is never a trail byte, so only the backslash needs the kind.
    char* dot = nullptr;
    int kind = 0;
    char* p = text;
    for (; *p != '\0'; ++p) {
        kind = NextKind(kind, static_cast<unsigned char>(*p));
        if (kind != 0) continue;
        if (*p == '\\') dot = nullptr;
        else if (*p == '.') dot = p;
    }
    return dot != nullptr ? dot : p;
}

void RemoveExtension(char* text)
{
    char* dot = FindExtension(text);
    if (*dot != '\0') *dot = '\0';
}

void LowerCaseAscii(char* text)
{
    for (char* p = text; *p != '\0'; p = SjisNextChar(p))
        if (*p >= 'A' && *p <= 'Z') *p = static_cast<char>(*p - 'A' + 'a');
}

int MakeSiblingPath(char* buffer, int size, const char* path, const char* extension)
{
    if (buffer == nullptr || size <= 0) return 0;
    const size_t capacity = static_cast<size_t>(size);
    const size_t length = path != nullptr ? strnlen(path, capacity) : capacity;
    if (length >= capacity) {
        buffer[0] = '\0';
        return 0;
    }
    memmove(buffer, path, length + 1);
    if (extension != nullptr) {
        RemoveExtension(buffer);
        const size_t stem = strlen(buffer);
        const size_t added = strlen(extension);
        if (added >= capacity - stem) {
            buffer[0] = '\0';
            return 0;
        }
        memcpy(buffer + stem, extension, added + 1);
    }
    LowerCaseAscii(buffer);
    return 1;
}

#ifdef _WIN32
int GetModuleSiblingPath(char* buffer, int size, const char* extension)
{
    if (buffer == nullptr || size <= 0) return 0;
    const DWORD length = GetModuleFileNameA(GetModuleHandleA(nullptr), buffer, size);
    // A full buffer means a cut path (not always terminated): it names
    // another file, so it is no path at all.
    if (length == 0 || length >= static_cast<DWORD>(size)) {
        buffer[0] = '\0';
        return 0;
    }
    return MakeSiblingPath(buffer, size, buffer, extension);
}
#endif
