#ifndef TESSALY_APP_WINDOW_UTIL_H
#define TESSALY_APP_WINDOW_UTIL_H

#include <windows.h>

#include "engine/grid_point.h"

// Window routines shared by every window class of the game.

// RegisterClassExA with no cursor and the executable's own shell icons, and
// `windowBytes` extra bytes per window. 0 when the class was not registered,
// which every class's registration passes on (and the game then goes on).
ATOM RegisterWindowClass(HINSTANCE instance, const char* className, WNDPROC proc, UINT style,
                         int menuId, int stockBrush, int windowBytes = 0);
HICON GetModuleShellIcon(HINSTANCE instance, BOOL small);  // null without a path
// The shell's large or small icon for a file: a new icon at every call; null
// when the shell cannot tell the file's icon (no such file).
HICON GetFileShellIcon(const char* path, BOOL small);

// A child control of a class of the game: no text, 1 x 1 at the default
// position (the control sizes itself), the id as its child identifier, the
// executable's module as instance. Null when it cannot be created.
HWND CreateChildControl(const char* className, HWND parent, int id, DWORD style);

BOOL SetWindowSize(HWND window, int cx, int cy);    // keeps position and z-order
BOOL SetWindowPosition(HWND window, int x, int y);  // keeps size and z-order
GridPoint GetClientSize(HWND window);
GridPoint GetWindowSize(HWND window);

// The cursor in the window's client coordinates, where it is now (the link
// label asks it). Returns 0 when it cannot be converted.
int GetClientCursorPos(HWND window, POINT* point);

// Repaint request of every control: the whole client area, without erasing.
void RequestRepaint(HWND window);

// Always-on-top is the window's WS_EX_TOPMOST bit and nothing else.
BOOL SetTopmost(HWND window, int on);
LONG IsTopmost(HWND window);  // WS_EX_TOPMOST (8) when on, else 0
// Destroys the pop-up windows `owner` owns (at most 8 of them).
void DestroyOwnedPopups(HWND owner);
// Position of the first item with `id`, or -1.
int FindMenuItemPosition(HMENU menu, UINT id);

// The header of every notification a control of the game sends: laid out
// exactly like NMHDR, so any WM_NOTIFY parent can read it.
struct BoardNotify {
    HWND hwndFrom;
    UINT_PTR idFrom;
    UINT code;
};
static_assert(sizeof(BoardNotify) == sizeof(NMHDR), "BoardNotify is an NMHDR");

// Zero-fills a header from `from` and sends it synchronously to its parent as
// WM_NOTIFY; the parent's result is ignored.
void SendBoardNotify(HWND from, UINT code);

#endif
