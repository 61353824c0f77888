// The other half of gdi_seam.h. Code compiled against windows.h calls SaveDC
// through the import pointer __imp__SaveDC@4, which the import library would
// supply; defined here, in an object file, it wins, and points at a
// forwarder.
#include "tests/wine/gdi_seam.h"

#include <windows.h>

namespace {

bool g_failing = false;
int g_refused = 0;

int WINAPI ForwardSaveDC(HDC dc)
{
    if (g_failing) {
        ++g_refused;
        return 0;
    }
    using SaveDcFn = int(WINAPI*)(HDC);
    // Through void*: a FARPROC takes no arguments, and casting it straight
    // to another function type draws a warning.
    static const auto real = reinterpret_cast<SaveDcFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("gdi32.dll"), "SaveDC")));
    return real(dc);
}

} // namespace

extern "C" {
// The import pointer's own name; no C++ spelling has '@' in it.
void* g_saveDcImport asm("__imp__SaveDC@4") = reinterpret_cast<void*>(&ForwardSaveDC);
}

namespace gs {

FailingSaveDC::FailingSaveDC()
{
    g_failing = true;
    g_refused = 0;
}

FailingSaveDC::~FailingSaveDC()
{
    g_failing = false;
}

int FailingSaveDC::Calls() const
{
    return g_refused;
}

} // namespace gs
