// The other half of import_seam.h. Code compiled against windows.h calls a
// system function through its import pointer (__imp__SaveDC@4 for SaveDC),
// which the import library would supply; defined here, in an object file, it
// wins, and points at a forwarder.
#include "tests/wine/import_seam.h"

#include <windows.h>

namespace {

struct Armed {
    bool on = false;
    int nth = 0;
    int seen = 0;
    int refused = 0;
};
Armed g_armed[3];

bool Refuse(is::Call which)
{
    Armed& a = g_armed[static_cast<int>(which)];
    if (!a.on || (a.nth != 0 && ++a.seen != a.nth)) return false;
    ++a.refused;
    return true;
}

// Through void*: a FARPROC takes no arguments, and casting it straight to
// another function type draws a warning.
template <typename Fn>
Fn Real(const char* dll, const char* name)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA(dll), name)));
}

int WINAPI ForwardSaveDC(HDC dc)
{
    static const auto real = Real<int(WINAPI*)(HDC)>("gdi32.dll", "SaveDC");
    return Refuse(is::Call::SaveDC) ? 0 : real(dc);
}

HDC WINAPI ForwardCreateCompatibleDC(HDC dc)
{
    static const auto real = Real<HDC(WINAPI*)(HDC)>("gdi32.dll", "CreateCompatibleDC");
    return Refuse(is::Call::CreateCompatibleDC) ? nullptr : real(dc);
}

BOOL WINAPI ForwardSetPropA(HWND window, LPCSTR name, HANDLE data)
{
    static const auto real = Real<BOOL(WINAPI*)(HWND, LPCSTR, HANDLE)>("user32.dll", "SetPropA");
    return Refuse(is::Call::SetPropA) ? FALSE : real(window, name, data);
}

} // namespace

// The import pointers' own names, which no C++ spelling reaches: 32-bit
// stdcall names carry a leading underscore and the argument bytes
// (__imp__SaveDC@4), 64-bit ones neither (__imp_SaveDC).
#ifdef _WIN64
#define IMPORT_POINTER(name, bytes) asm("__imp_" #name)
#else
#define IMPORT_POINTER(name, bytes) asm("__imp__" #name "@" #bytes)
#endif

extern "C" {
void* g_saveDc IMPORT_POINTER(SaveDC, 4) = reinterpret_cast<void*>(&ForwardSaveDC);
void* g_createCompatibleDc IMPORT_POINTER(CreateCompatibleDC, 4) =
    reinterpret_cast<void*>(&ForwardCreateCompatibleDC);
void* g_setPropA IMPORT_POINTER(SetPropA, 12) = reinterpret_cast<void*>(&ForwardSetPropA);
}

namespace is {

Failing::Failing(Call which, int nth)
{
    g_armed[static_cast<int>(which)] = Armed{true, nth, 0, 0};
}

Failing::~Failing()
{
    for (Armed& a : g_armed) a.on = false;
}

int Failing::Calls() const
{
    int refused = 0;
    for (const Armed& a : g_armed) refused += a.refused;
    return refused;
}

} // namespace is
