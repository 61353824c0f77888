#ifndef TESSALY_TESTS_WINE_CLOCK_SEAM_H
#define TESSALY_TESTS_WINE_CLOCK_SEAM_H

// Sets the calendar clock the program reads, the way import_seam.h fails
// calls: a program that links clock_seam.cpp gets its import of
// GetSystemTimeAsFileTime from there. The C library's own clock is not seen.

#include <cstdint>

namespace cs {

// While it lives, the clock says `unixSeconds` after 1970-01-01 00:00:00 UTC.
class FixedClock {
public:
    explicit FixedClock(uint64_t unixSeconds);
    ~FixedClock();
    FixedClock(const FixedClock&) = delete;
    FixedClock& operator=(const FixedClock&) = delete;
};

} // namespace cs

#endif
