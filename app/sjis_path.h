#ifndef TESSALY_APP_SJIS_PATH_H
#define TESSALY_APP_SJIS_PATH_H

// Routines on zero-terminated code page 932 (Shift-JIS) text. The trail byte
// of a double-byte character may be 0x5C (a backslash) or an upper-case ASCII
// letter, so every test of a byte asks what kind of byte it is first.

// 0 a single-byte character, 1 the lead byte of a double-byte one, 2 its trail.
// Indexes at or past the terminating zero (or negative) give 0; nothing past
// the zero is read.
int SjisByteKind(const char* text, int index);
// The start of the next character (text itself at the terminating zero).
const char* SjisNextChar(const char* position);
char* SjisNextChar(char* position);

int IsSeparatorAt(const char* text, int index);  // a backslash that is a character of its own
char* FindExtension(char* text);                 // its '.', or the terminating zero
void RemoveExtension(char* text);
void LowerCaseAscii(char* text);  // A-Z only, never inside a double-byte character

// Copies `path` into `buffer` (they may be the same), replaces its extension
// by `extension` when that is not null, and lower-cases it. Returns 0, with
// an empty buffer, when the result would need more than `size` bytes: a
// shortened path would name some other file.
int MakeSiblingPath(char* buffer, int size, const char* path, const char* extension);
// The same for the running executable's own path (Windows builds only).
// Returns 0, with an empty buffer, also when that path cannot be had.
int GetModuleSiblingPath(char* buffer, int size, const char* extension);

#endif
