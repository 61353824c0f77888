#include "about/free_resources.h"

#include <windows.h>

namespace {

// The resource kinds of GetFreeSystemResources.
constexpr int kSystemResources = 0;
constexpr int kGdiResources = 1;
constexpr int kUserResources = 2;

using FreeResourcesProc = int(WINAPI*)(int kind);

} // namespace

int GetFreeResources(int* system, int* gdi, int* user)
{
    HMODULE meter = LoadLibraryA("rsrc32.dll");
    if (!meter) return 0;
    // The meter exports its function under the decorated name only.
    auto query = reinterpret_cast<FreeResourcesProc>(
        reinterpret_cast<void (*)()>(GetProcAddress(meter, "_MyGetFreeSystemResources32@4")));
    if (!query) {
        FreeLibrary(meter);
        return 0;
    }
    if (system) *system = query(kSystemResources);
    if (gdi) *gdi = query(kGdiResources);
    if (user) *user = query(kUserResources);
    FreeLibrary(meter);
    return 1;
}
