// The other half of import_seam.h. Code compiled against windows.h calls a
// system function through its import pointer (__imp__SaveDC@4 for SaveDC),
// which the import library would supply; defined here, in an object file, it
// wins, and points at a forwarder.
#include "tests/wine/import_seam.h"

#include <windows.h>

#include <cstring>

namespace {

constexpr int kCalls = static_cast<int>(is::Call::CreateFileA) + 1;

struct Armed {
    bool on = false;
    int nth = 0;
    int shortBy = 0;
    int seen = 0;
    int refused = 0;
};
Armed g_armed[kCalls];
DWORD g_tickOffset = 0;

Armed& Of(is::Call which)
{
    return g_armed[static_cast<int>(which)];
}

bool Refuse(is::Call which)
{
    Armed& a = Of(which);
    if (!a.on || (a.nth != 0 && ++a.seen != a.nth)) return false;
    ++a.refused;
    return true;
}

// Through void*: a FARPROC takes no arguments, and casting it straight to
// another function type draws a warning.
template <typename Fn>
Fn Real(const char* dll, const char* name)
{
    return reinterpret_cast<Fn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA(dll), name)));
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

DWORD WINAPI ForwardGetTickCount()
{
    static const auto real = Real<DWORD(WINAPI*)()>("kernel32.dll", "GetTickCount");
    return real() + g_tickOffset;
}

BOOL WINAPI ForwardSetPropA(HWND window, LPCSTR name, HANDLE data)
{
    static const auto real = Real<BOOL(WINAPI*)(HWND, LPCSTR, HANDLE)>("user32.dll", "SetPropA");
    return Refuse(is::Call::SetPropA) ? FALSE : real(window, name, data);
}

BOOL WINAPI ForwardWriteFile(HANDLE file, LPCVOID data, DWORD size, LPDWORD written,
                             LPOVERLAPPED overlapped)
{
    using Fn = BOOL(WINAPI*)(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED);
    static const auto real = Real<Fn>("kernel32.dll", "WriteFile");
    if (!Refuse(is::Call::WriteFile)) return real(file, data, size, written, overlapped);
    const DWORD cut = static_cast<DWORD>(Of(is::Call::WriteFile).shortBy);
    if (cut > 0) return real(file, data, size > cut ? size - cut : 0, written, overlapped);
    if (written) *written = 0;
    SetLastError(ERROR_DISK_FULL);
    return FALSE;
}

// What a full disk does to a profile write: the file is rewritten whole,
// and its end does not reach the disk.
void CutShort(LPCSTR file, int bytes)
{
    HANDLE handle = CreateFileA(file, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return;
    SetFilePointer(handle, -bytes, nullptr, FILE_END);
    SetEndOfFile(handle);
    CloseHandle(handle);
}

// A file of bytes (not UTF-16) whose last line has no line end.
bool LastLineUnended(LPCSTR file)
{
    HANDLE handle = CreateFileA(file, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, 0);
    if (handle == INVALID_HANDLE_VALUE) return false;
    unsigned char head[2] = {0, 0}, last = '\n';
    DWORD got = 0;
    ReadFile(handle, head, 2, &got, nullptr);
    if (SetFilePointer(handle, -1, nullptr, FILE_END) != INVALID_SET_FILE_POINTER)
        ReadFile(handle, &last, 1, &got, nullptr);
    CloseHandle(handle);
    return last != '\n' && !(head[0] == 0xFF && head[1] == 0xFE);
}

BOOL WINAPI ForwardWritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR text, LPCSTR file)
{
    static const auto real = Real<BOOL(WINAPI*)(LPCSTR, LPCSTR, LPCSTR, LPCSTR)>(
        "kernel32.dll", "WritePrivateProfileStringA");
    const bool refused = Refuse(is::Call::WritePrivateProfileStringA);
    const int cut = refused ? Of(is::Call::WritePrivateProfileStringA).shortBy : 0;
    if (refused && (cut == 0 || file == nullptr)) return FALSE;
    const bool unended = section && file && LastLineUnended(file);
    const BOOL written = real(section, key, text, file);
    if (unended && !LastLineUnended(file)) CutShort(file, 2);  // Wine's "\r\n"
    if (cut > 0) CutShort(file, cut);
    return written;
}

DWORD WINAPI ForwardGetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR fallback,
                                             LPSTR text, DWORD size, LPCSTR file)
{
    using Fn = DWORD(WINAPI*)(LPCSTR, LPCSTR, LPCSTR, LPSTR, DWORD, LPCSTR);
    static const auto real = Real<Fn>("kernel32.dll", "GetPrivateProfileStringA");
    if (!Refuse(is::Call::GetPrivateProfileStringA))
        return real(section, key, fallback, text, size, file);
    if (size > 0) text[0] = '\0';
    return 0;
}

// Windows flushes only a handle opened for writing; Wine flushes any.
bool CanWrite(HANDLE file)
{
    struct {
        ULONG attributes;
        ACCESS_MASK grantedAccess;
        ULONG rest[30];
    } basic = {};
    using Fn = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
    static const auto query = Real<Fn>("ntdll.dll", "NtQueryObject");
    const int kObjectBasicInformation = 0;
    return query(file, kObjectBasicInformation, &basic, sizeof basic, nullptr) == 0 &&
           (basic.grantedAccess & (FILE_WRITE_DATA | FILE_APPEND_DATA)) != 0;
}

BOOL WINAPI ForwardFlushFileBuffers(HANDLE file)
{
    static const auto real = Real<BOOL(WINAPI*)(HANDLE)>("kernel32.dll", "FlushFileBuffers");
    if (!CanWrite(file)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (Refuse(is::Call::FlushFileBuffers)) {
        SetLastError(ERROR_WRITE_FAULT);
        return FALSE;
    }
    return real(file);
}

BOOL WINAPI ForwardMoveFileExA(LPCSTR from, LPCSTR to, DWORD flags)
{
    static const auto real =
        Real<BOOL(WINAPI*)(LPCSTR, LPCSTR, DWORD)>("kernel32.dll", "MoveFileExA");
    if (!Refuse(is::Call::MoveFileExA)) return real(from, to, flags);
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}

BOOL WINAPI ForwardReplaceFileA(LPCSTR replaced, LPCSTR replacement, LPCSTR backup, DWORD flags,
                                LPVOID exclude, LPVOID reserved)
{
    using Fn = BOOL(WINAPI*)(LPCSTR, LPCSTR, LPCSTR, DWORD, LPVOID, LPVOID);
    static const auto real = Real<Fn>("kernel32.dll", "ReplaceFileA");
    if (!Refuse(is::Call::ReplaceFileA))
        return real(replaced, replacement, backup, flags, exclude, reserved);
    SetLastError(ERROR_UNABLE_TO_REMOVE_REPLACED);
    return FALSE;
}

HANDLE WINAPI ForwardCreateFileA(LPCSTR name, DWORD access, DWORD share,
                                 LPSECURITY_ATTRIBUTES security, DWORD disposition, DWORD flags,
                                 HANDLE templateFile)
{
    using Fn = HANDLE(WINAPI*)(LPCSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE);
    static const auto real = Real<Fn>("kernel32.dll", "CreateFileA");
    const char* tail = name && strlen(name) >= 4 ? name + strlen(name) - 4 : "";
    if (lstrcmpiA(tail, ".tmp") != 0 || !Refuse(is::Call::CreateFileA))
        return real(name, access, share, security, disposition, flags, templateFile);
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
}

}  // namespace

// The import pointer of a function, pointed at its forwarder. Its symbol has
// no C++ spelling: i686 decorates a __stdcall name with the bytes of its
// arguments (__imp__SaveDC@4), x86_64 does not (__imp_SaveDC).
#ifdef _WIN64
#define IS_IMPORT_NAME(name, argBytes) "__imp_" #name
#else
#define IS_IMPORT_NAME(name, argBytes) "__imp__" #name "@" #argBytes
#endif
#define IS_FORWARD(name, argBytes)                                                                 \
    void* g_import##name asm(IS_IMPORT_NAME(name, argBytes)) =                                     \
        reinterpret_cast<void*>(&Forward##name)

extern "C" {
IS_FORWARD(SaveDC, 4);
IS_FORWARD(CreateCompatibleDC, 4);
IS_FORWARD(SetPropA, 12);
IS_FORWARD(GetTickCount, 0);
IS_FORWARD(WriteFile, 20);
IS_FORWARD(WritePrivateProfileStringA, 16);
IS_FORWARD(GetPrivateProfileStringA, 24);
IS_FORWARD(FlushFileBuffers, 4);
IS_FORWARD(MoveFileExA, 12);
IS_FORWARD(ReplaceFileA, 24);
IS_FORWARD(CreateFileA, 28);
}

namespace is {

Failing::Failing(Call which, int nth, int shortBy)
{
    for (Armed& a : g_armed) a = Armed{};  // Calls() counts this object's refusals alone
    Of(which) = Armed{true, nth, shortBy, 0, 0};
}

Failing::~Failing()
{
    for (Armed& a : g_armed) a.on = false;
}

void SetTickOffset(unsigned long offset)
{
    g_tickOffset = offset;
}

int Failing::Calls() const
{
    int refused = 0;
    for (const Armed& a : g_armed) refused += a.refused;
    return refused;
}

}  // namespace is
