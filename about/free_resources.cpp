#include "about/free_resources.h"

#include <windows.h>

#include <cstring>

namespace {

// The resource kinds of GetFreeSystemResources.
constexpr int kSystemResources = 0;
constexpr int kGdiResources = 1;
constexpr int kUserResources = 2;

using FreeResourcesProc = int(WINAPI*)(int kind);

constexpr char kMeterName[] = "\\rsrc32.dll";
constexpr UINT kPathSize = 261;

// The meter's full path in the system folder; 0 when the folder cannot be had
// or the path would not fit, and nothing is loaded then.
int MeterPath(char* path)
{
    const UINT length = GetSystemDirectoryA(path, kPathSize);
    // 0 is a failure; a length too large is the size a longer folder would need.
    if (length == 0 || length >= kPathSize - (sizeof kMeterName - 1)) return 0;
    memcpy(path + length, kMeterName, sizeof kMeterName);
    return 1;
}

}  // namespace

int GetFreeResources(int* system, int* gdi, int* user)
{
    // From the system folder alone: no such DLL ships with Windows NT, so a
    // bare name would go on to the game's folder, the current folder and PATH,
    // and whatever DLL somebody left there under that name would run.
    char path[kPathSize];
    if (!MeterPath(path)) return 0;
    HMODULE meter = LoadLibraryA(path);
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
