#include "about/link_label.h"

#include <cstdlib>
#include <cstring>

namespace {

// Bit 0 of the control state: the parent has confirmed the pointer is over it.
constexpr UINT_PTR kStateHot = 1;

constexpr COLORREF kTextColour = RGB(0, 0, 255);
constexpr COLORREF kHotTextColour = RGB(255, 0, 0);

WNDPROC OriginalProc(HWND label)
{
    return reinterpret_cast<WNDPROC>(GetPropA(label, kPropOriginalProc));
}

LRESULT PassOn(HWND label, UINT message, WPARAM wParam, LPARAM lParam)
{
    WNDPROC original = OriginalProc(label);
    // Only a message that arrives after the label was taken apart finds no
    // saved procedure; the default handling is the safe answer then.
    if (!original) return DefWindowProcA(label, message, wParam, lParam);
    return CallWindowProcA(original, label, message, wParam, lParam);
}

bool IsHot(HWND label)
{
    return (reinterpret_cast<UINT_PTR>(GetPropA(label, kPropControlState)) & kStateHot) != 0;
}

void SetState(HWND label, UINT_PTR state)
{
    SetPropA(label, kPropControlState, reinterpret_cast<HANDLE>(state));
}

// Asks the cursor itself, never the message coordinates: a WM_TIMER carries
// none, and during a capture the message point may be stale.
bool PointerInside(HWND label)
{
    POINT point;
    if (!GetClientCursorPos(label, &point)) return false;
    RECT client;
    GetClientRect(label, &client);
    return PtInRect(&client, point) != 0;
}

void Notify(HWND label, UINT code, DWORD keyFlags, DWORD position)
{
    LinkNotify notify;
    memset(&notify, 0, sizeof notify);
    notify.header.hwndFrom = label;
    notify.header.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(label));
    notify.header.code = code;
    notify.keyFlags = keyFlags;
    notify.position = position;
    SendMessageA(GetParent(label), WM_NOTIFY, notify.header.idFrom,
                 reinterpret_cast<LPARAM>(&notify));
}

void DrawLabel(HWND label, HDC dc, const RECT* client)
{
    const int length = GetWindowTextLengthA(label);
    char* text = static_cast<char*>(malloc(static_cast<size_t>(length) + 1));
    if (!text) return;  // nothing at all is drawn, not even the background
    const int copied = GetWindowTextA(label, text, length + 1);

    // The parent is not asked for a brush: the label looks the same on any parent.
    FillRect(dc, client, GetSysColorBrush(COLOR_BTNFACE));
    const bool hot = IsHot(label);
    SetTextColor(dc, hot ? kHotTextColour : kTextColour);
    if (hot && GetCapture() == label) {
        FrameRect(dc, client, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
    }
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(label, WM_GETFONT, 0, 0));
    if (font) SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    if (copied > 0) TextOutA(dc, 1, 0, text, copied);
    free(text);
}

LRESULT OnPaint(HWND label)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(label, &paint);
    if (dc) {
        // The saved DC state brings back the font, colours and mode we changed.
        const int saved = SaveDC(dc);
        RECT client;
        GetClientRect(label, &client);
        DrawLabel(label, dc, &client);
        RestoreDC(dc, saved);
    }
    EndPaint(label, &paint);
    return 0;
}

LRESULT OnNcHitTest(HWND label, WPARAM wParam, LPARAM lParam)
{
    // A static control would let the hit fall through to its parent (and the
    // About box turns its own hits into caption drags); the label keeps them.
    if (PointerInside(label)) return HTCLIENT;
    return PassOn(label, WM_NCHITTEST, wParam, lParam);
}

LRESULT OnMouseMove(HWND label, WPARAM wParam, LPARAM lParam)
{
    if (PointerInside(label)) {
        // A mouse move is the only sign of the pointer entering, but nothing
        // announces it leaving: the timer watches for that.
        SetTimer(label, IDT_LINKLEAVE, 0, nullptr);
        Notify(label, LLN_HOVER, static_cast<DWORD>(wParam), static_cast<DWORD>(lParam));
    }
    return PassOn(label, WM_MOUSEMOVE, wParam, lParam);
}

LRESULT OnTimer(HWND label, WPARAM wParam, LPARAM lParam)
{
    if (wParam != IDT_LINKLEAVE) return PassOn(label, WM_TIMER, wParam, lParam);
    if (!PointerInside(label)) {
        KillTimer(label, IDT_LINKLEAVE);
        Notify(label, LLN_LEAVE, 0, 0);
    }
    return 0;
}

LRESULT OnLButtonDown(HWND label, WPARAM wParam, LPARAM lParam)
{
    SetCapture(label);
    RequestRepaint(label);
    return PassOn(label, WM_LBUTTONDOWN, wParam, lParam);
}

LRESULT OnLButtonUp(HWND label, WPARAM wParam, LPARAM lParam)
{
    if (GetCapture() == label) {
        // Released first, so that whatever the parent does on the click (close
        // a dialog, open a browser) finds the mouse free.
        ReleaseCapture();
        if (PointerInside(label)) Notify(label, LLN_CLICK, 0, 0);
    }
    return PassOn(label, WM_LBUTTONUP, wParam, lParam);
}

LRESULT OnNotify(HWND label, WPARAM wParam, LPARAM lParam)
{
    const auto* header = reinterpret_cast<const BoardNotify*>(lParam);
    const UINT code = header ? header->code : 0;
    if (code == LLN_LEAVE) {
        SetState(label, 0);
        RequestRepaint(label);
        return 0;
    }
    if (code == LLN_HOVER) {
        // The reflection may arrive after the pointer has gone again.
        if (PointerInside(label)) SetState(label, kStateHot);
        RequestRepaint(label);
        return 0;
    }
    return PassOn(label, WM_NOTIFY, wParam, lParam);
}

LRESULT OnDestroy(HWND label, WPARAM wParam, LPARAM lParam)
{
    WNDPROC original = OriginalProc(label);
    if (original) SetWindowLongPtrA(label, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
    RemovePropA(label, kPropOriginalProc);
    RemovePropA(label, kPropControlState);
    if (!original) return DefWindowProcA(label, WM_DESTROY, wParam, lParam);
    return CallWindowProcA(original, label, WM_DESTROY, wParam, lParam);
}

}  // namespace

int LinkLabelAttach(HWND control)
{
    const LONG_PTR original =
        SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&LinkLabelWndProc));
    // Without its saved procedure the label could neither pass on what it
    // leaves alone nor put the procedure back at its end: it stays as it was.
    if (!SetPropA(control, kPropOriginalProc, reinterpret_cast<HANDLE>(original))) {
        SetWindowLongPtrA(control, GWLP_WNDPROC, original);
        return 0;
    }
    SetState(control, 0);
    return 1;
}

LRESULT CALLBACK LinkLabelWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT: return OnPaint(window);
    case WM_NCHITTEST: return OnNcHitTest(window, wParam, lParam);
    case WM_MOUSEMOVE: return OnMouseMove(window, wParam, lParam);
    case WM_TIMER: return OnTimer(window, wParam, lParam);
    case WM_LBUTTONDOWN: return OnLButtonDown(window, wParam, lParam);
    case WM_LBUTTONUP: return OnLButtonUp(window, wParam, lParam);
    case WM_NOTIFY: return OnNotify(window, wParam, lParam);
    case WM_DESTROY: return OnDestroy(window, wParam, lParam);
    default: return PassOn(window, message, wParam, lParam);
    }
}
