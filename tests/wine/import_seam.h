#ifndef TESSALY_TESTS_WINE_IMPORT_SEAM_H
#define TESSALY_TESTS_WINE_IMPORT_SEAM_H

// Makes a few system calls fail on demand, without a line of product code
// knowing. A program that links import_seam.cpp gets its imports of them
// from there: every call in the program's own objects and static libraries
// goes through a forwarder to the system DLL, which answers failure while a
// Failing object for that call lives. Wine hardly ever fails these (SaveDC
// needs no GDI handle, SetPropA no memory of ours); Windows may, when GDI or
// desktop memory runs out. One Failing at a time.

namespace is {

enum class Call { SaveDC, CreateCompatibleDC, SetPropA };

class Failing {
public:
    // The nth call of `which` from now fails; with nth 0, every call does.
    explicit Failing(Call which, int nth = 0);
    ~Failing();
    Failing(const Failing&) = delete;
    Failing& operator=(const Failing&) = delete;

    int Calls() const;  // calls refused so far
};

} // namespace is

#endif
