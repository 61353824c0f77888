#ifndef TESSALY_TESTS_WINE_MALLOC_SEAM_H
#define TESSALY_TESTS_WINE_MALLOC_SEAM_H

// Makes malloc fail on demand and counts what is left allocated, without a
// line of product code knowing. A test program that includes malloc_seam.cpp
// is linked with -Wl,--wrap=malloc,--wrap=calloc,--wrap=free: GNU ld then sends
// every call of malloc, calloc and free in the program's own objects and static
// libraries (the game's libraries among them) to the __wrap_ functions there,
// which forward to the C library. The C library's own calls, and those of
// the system DLLs, are not seen.

#include <cstddef>

namespace ms {

// Watches malloc and free from construction to destruction; one at a time.
// With failNth = n > 0 the n-th malloc call from now returns null (once).
class MallocWatch {
public:
    explicit MallocWatch(int failNth = 0);
    ~MallocWatch();
    MallocWatch(const MallocWatch&) = delete;
    MallocWatch& operator=(const MallocWatch&) = delete;

    int Calls() const;          // malloc calls seen, the failed one included
    int Live() const;           // blocks malloc gave out since then, not yet freed
    bool Failed() const;        // the armed failure has happened
    size_t FailedSize() const;  // the size the failed call asked for
};

// While a Fence lives, every block malloc gives out ends where a page that
// may not be touched begins: reading or writing past a block's end (beyond
// malloc's rounding to 8 bytes) faults at once, as under a sanitizer. Blocks
// stay fenced until freed.
void SetFencing(bool on);
struct Fence {
    Fence() { SetFencing(true); }
    ~Fence() { SetFencing(false); }
};

}  // namespace ms

#endif
