#ifndef TESSALY_TESTS_WINE_IMPORT_SEAM_H
#define TESSALY_TESTS_WINE_IMPORT_SEAM_H

// Makes a few system calls fail on demand, without a line of product code
// knowing. A program that links import_seam.cpp gets its imports of them
// from there: every call in the program's own objects and static libraries
// goes through a forwarder to the system DLL, which answers failure while a
// Failing object for that call lives. Wine hardly ever fails these (SaveDC
// needs no GDI handle, SetPropA no memory of ours, a write a full disk);
// Windows may. One Failing at a time.
//
// Unarmed, two calls still answer as Windows does and Wine does not:
// FlushFileBuffers cannot flush a handle without write access, and a profile
// write leaves a last line that has no line end without one (Windows edits
// the file in place; Wine rewrites it and ends every line).

namespace is {

enum class Call {
    SaveDC,
    CreateCompatibleDC,
    SetPropA,
    WriteFile,
    WritePrivateProfileStringA,
    GetPrivateProfileStringA,  // refused: an empty text
    FlushFileBuffers,
    MoveFileExA,
    ReplaceFileA,  // refused as when another program holds the file
    CreateFileA,   // only for a name ending in ".tmp": the folder takes no new file
};

class Failing {
public:
    // The nth call of `which` from now fails; with nth 0, every call does.
    // With shortBy > 0 a write does not fail but runs out of disk: WriteFile
    // writes that many bytes fewer than asked and says so; a profile write
    // leaves its file without its last shortBy bytes and, as the profile
    // functions do, reports success.
    explicit Failing(Call which, int nth = 0, int shortBy = 0);
    ~Failing();
    Failing(const Failing&) = delete;
    Failing& operator=(const Failing&) = delete;

    int Calls() const;  // calls refused (or cut short) so far
};

// GetTickCount answers the real count plus `offset` (wrapping) until it is
// set back to 0: a test's clock just before the 49.7-day wrap, or far into a
// game. The program's own calls see the same clock.
void SetTickOffset(unsigned long offset);

}  // namespace is

#endif
