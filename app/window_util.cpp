#include "app/window_util.h"

#include <cstring>
#include <shellapi.h>

namespace {

struct OwnedPopups {
    HWND owner;
    HWND popups[8];
    int count;
};

BOOL CALLBACK CollectOwnedPopup(HWND window, LPARAM context)
{
    auto* owned = reinterpret_cast<OwnedPopups*>(context);
    if (GetWindow(window, GW_OWNER) == owned->owner && owned->count < 8) {
        owned->popups[owned->count++] = window;
    }
    return TRUE;
}

OwnedPopups FindOwnedPopups(HWND owner)
{
    OwnedPopups owned = {owner, {}, 0};
    EnumThreadWindows(GetWindowThreadProcessId(owner, nullptr), CollectOwnedPopup,
                      reinterpret_cast<LPARAM>(&owned));
    return owned;
}

}  // namespace

ATOM RegisterWindowClass(HINSTANCE instance, const char* className, WNDPROC proc, UINT style,
                         int menuId, int stockBrush, int windowBytes)
{
    WNDCLASSEXA wc;
    memset(&wc, 0, sizeof wc);
    wc.cbSize = sizeof wc;
    wc.style = style;
    wc.lpfnWndProc = proc;
    wc.cbWndExtra = windowBytes;
    wc.hInstance = instance;
    wc.hIcon = GetModuleShellIcon(instance, FALSE);
    wc.hIconSm = GetModuleShellIcon(instance, TRUE);
    wc.hCursor = nullptr;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(stockBrush));
    wc.lpszMenuName = menuId ? MAKEINTRESOURCEA(menuId) : nullptr;
    wc.lpszClassName = className;
    const ATOM atom = RegisterClassExA(&wc);
    if (!atom) {
        // Only a registered class keeps its icons (one registered before
        // keeps its own): these two would be lost.
        if (wc.hIcon) DestroyIcon(wc.hIcon);
        if (wc.hIconSm) DestroyIcon(wc.hIconSm);
    }
    return atom;
}

HICON GetModuleShellIcon(HINSTANCE instance, BOOL small)
{
    char path[261];
    if (GetModuleFileNameA(instance, path, sizeof path) == 0) {
        return nullptr;
    }
    path[sizeof path - 1] = '\0';  // a truncated path comes back unterminated on XP
    return GetFileShellIcon(path, small);
}

HICON GetFileShellIcon(const char* path, BOOL small)
{
    SHFILEINFOA info = {};
    // A failed call promises nothing of the record: Wine leaves a stray handle
    // in hIcon (the last icon it made), which a caller would then destroy.
    const UINT flags = SHGFI_ICON | (small ? SHGFI_SMALLICON : 0);
    if (!SHGetFileInfoA(path, 0, &info, sizeof info, flags)) return nullptr;
    return info.hIcon;
}

HWND CreateChildControl(const char* className, HWND parent, int id, DWORD style)
{
    return CreateWindowExA(0, className, "", style, CW_USEDEFAULT, CW_USEDEFAULT, 1, 1, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           GetModuleHandleA(nullptr), nullptr);
}

BOOL SetWindowSize(HWND window, int cx, int cy)
{
    return SetWindowPos(window, nullptr, 0, 0, cx, cy, SWP_NOMOVE | SWP_NOZORDER);
}

BOOL SetWindowPosition(HWND window, int x, int y)
{
    return SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

GridPoint GetClientSize(HWND window)
{
    RECT rect = {0, 0, 0, 0};
    GetClientRect(window, &rect);
    return GridPoint{rect.right - rect.left, rect.bottom - rect.top};
}

GridPoint GetWindowSize(HWND window)
{
    RECT rect = {0, 0, 0, 0};
    GetWindowRect(window, &rect);
    return GridPoint{rect.right - rect.left, rect.bottom - rect.top};
}

int GetClientCursorPos(HWND window, POINT* point)
{
    if (!GetCursorPos(point)) {
        return 0;
    }
    return ScreenToClient(window, point) ? 1 : 0;
}

void RequestRepaint(HWND window)
{
    InvalidateRect(window, nullptr, FALSE);
}

void SendBoardNotify(HWND from, UINT code)
{
    BoardNotify header;
    memset(&header, 0, sizeof header);
    header.hwndFrom = from;
    header.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(from));
    header.code = code;
    SendMessageA(GetParent(from), WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
}

BOOL SetTopmost(HWND window, int on)
{
    // The z-order only.
    constexpr UINT flags = SWP_NOSIZE | SWP_NOMOVE | SWP_NOREDRAW | SWP_NOACTIVATE |
                           SWP_NOCOPYBITS | SWP_NOSENDCHANGING;
    HWND place = on ? HWND_TOPMOST : HWND_NOTOPMOST;
    BOOL done = SetWindowPos(window, place, 0, 0, 0, 0, flags);
    if (done && on && !IsTopmost(window)) {
        // Wine links a window straight below the pop-ups it owns (here the
        // score panel's tooltip) and then drops the topmost bit. Without
        // their owner for the moment of the move, the window goes on top.
        const OwnedPopups owned = FindOwnedPopups(window);
        for (int i = 0; i < owned.count; ++i)
            SetWindowLongPtrA(owned.popups[i], GWLP_HWNDPARENT, 0);
        done = SetWindowPos(window, place, 0, 0, 0, 0, flags);
        for (int i = 0; i < owned.count; ++i)
            SetWindowLongPtrA(owned.popups[i], GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(window));
    }
    return done;
}

void DestroyOwnedPopups(HWND owner)
{
    const OwnedPopups owned = FindOwnedPopups(owner);
    for (int i = 0; i < owned.count; ++i) DestroyWindow(owned.popups[i]);
}

LONG IsTopmost(HWND window)
{
    return GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST;
}

int FindMenuItemPosition(HMENU menu, UINT id)
{
    const int count = GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
        if (GetMenuItemID(menu, position) == id) return position;
    }
    return -1;
}
