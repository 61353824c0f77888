// The other half of clock_seam.h; see import_seam.cpp for how the import
// pointer's own name takes the call.
#include "tests/wine/clock_seam.h"

#include <windows.h>

namespace {

bool g_fixed = false;
FILETIME g_now;

void WINAPI ForwardGetSystemTimeAsFileTime(FILETIME* now)
{
    static const auto real = reinterpret_cast<void(WINAPI*)(FILETIME*)>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetSystemTimeAsFileTime")));
    if (g_fixed)
        *now = g_now;
    else
        real(now);
}

} // namespace

extern "C" {
void* g_getSystemTimeAsFileTime asm("__imp__GetSystemTimeAsFileTime@4") =
    reinterpret_cast<void*>(&ForwardGetSystemTimeAsFileTime);
}

namespace cs {

FixedClock::FixedClock(uint64_t unixSeconds)
{
    // The clock counts 100 ns steps from 1601, 11644473600 seconds before 1970.
    const uint64_t ticks = (unixSeconds + 11644473600u) * 10000000u;
    g_now.dwLowDateTime = static_cast<DWORD>(ticks);
    g_now.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    g_fixed = true;
}

FixedClock::~FixedClock()
{
    g_fixed = false;
}

} // namespace cs
