// Stands in for the resource meter of Windows 9x in the About box tests. It
// is built in a folder of its own; the tests that want it copy it into the
// system folder for as long as they need it.
#include <windows.h>

#include <cstdlib>

// Free system, GDI and USER resources: distinct values, so that a mix-up of
// kinds shows. Any other kind is answered like the real meter would, with 0.
// TESSALY_FREE_SYSTEM makes the system value another, as no real meter would.
extern "C" int WINAPI MyGetFreeSystemResources32(int kind)
{
    char value[16];
    switch (kind) {
    case 0: return GetEnvironmentVariableA("TESSALY_FREE_SYSTEM", value, 16) ? atoi(value) : 100;
    case 1: return 61;
    case 2: return 72;
    default: return 0;
    }
}
