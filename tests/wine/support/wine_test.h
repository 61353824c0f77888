#ifndef TESSALY_TESTS_WINE_SUPPORT_WINE_TEST_H
#define TESSALY_TESTS_WINE_SUPPORT_WINE_TEST_H

// Helpers for tests that run under Wine in real windows: a visible top-level
// window whose messages a test can watch, a message pump, pixels read back
// from a window or a memory DC, the real cursor, and GDI/USER handle counts.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace wt {

// ---- Messages --------------------------------------------------------------

// Dispatches every message waiting for this thread, including the paints and
// timers they cause, until the queue stays empty.
void PumpMessages();
// Pumps for at least `ms` milliseconds (timers fire meanwhile).
void PumpFor(DWORD ms);
// Pumps until `done` returns true or `timeoutMs` passes; returns done().
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs);

// ---- Windows ---------------------------------------------------------------

// A visible top-level test window ("wt_host" class, light grey background).
// Its client area is the size asked for, or wider where the caption needs it
// (about 110 pixels): put controls that need an exact size in a child.
// Every message reaches `handler` first; when it returns true with a result,
// that result is returned, otherwise DefWindowProcA runs. Destroyed with the
// object.
class TestWindow {
public:
    using Handler = std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT*)>;
    explicit TestWindow(int clientWidth = 400, int clientHeight = 300, Handler handler = nullptr,
                        DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE | WS_CLIPCHILDREN);
    ~TestWindow();
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    HWND hwnd() const { return hwnd_; }
    void SetHandler(Handler handler) { handler_ = std::move(handler); }

private:
    static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
    HWND hwnd_ = nullptr;
    Handler handler_;
};

// Registers a window class once per process; returns its name.
const char* RegisterTestClass(const char* name, WNDPROC proc);

// ---- Pixels ----------------------------------------------------------------

struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> data;  // row-major, top row first, as RGB()

    COLORREF At(int x, int y) const { return data[static_cast<size_t>(y) * width + x]; }
    bool Empty() const { return data.empty(); }
    // Pixels of `rect` equal to `colour`, counted.
    int Count(const RECT& rect, COLORREF colour) const;
    // A picture of the pixels for a failure message: one character a pixel,
    // from `legend` (colour -> char), '?' for others.
    std::string Picture(const RECT& rect,
                        const std::vector<std::pair<COLORREF, char>>& legend) const;
};

// Reads `rect` (default: the whole area) of a DC through a 32-bit DIB section.
Pixels ReadDcPixels(HDC dc, const RECT& rect);
// Reads the client area of a window as it is on screen now.
Pixels ReadClientPixels(HWND window);
// Reads a rectangle of the screen (the desktop window's DC).
Pixels ReadScreenPixels(const RECT& screenRect);

// Calls `draw` on a fresh memory DC holding a width x height 32-bit bitmap
// filled with `background`, then reads the bitmap back.
Pixels DrawOffscreen(int width, int height, COLORREF background,
                     const std::function<void(HDC)>& draw);

// ---- The real cursor and mouse ---------------------------------------------

// Moves the real cursor (SetCursorPos) to a point in the window's client
// coordinates and waits until GetCursorPos reports it.
void MoveCursorToClient(HWND window, int x, int y);
// Real mouse input through SendInput at the cursor's current position.
void SendMouseButton(bool down);
// Moves the cursor to the client point, then presses and releases the left
// button with SendInput, pumping messages in between.
void ClickClient(HWND window, int x, int y);

// ---- Handles ---------------------------------------------------------------

struct HandleCounts {
    DWORD gdi = 0;
    DWORD user = 0;
    DWORD heapBlocks = 0;  // blocks in use on the process heap (system DLLs allocate there)
};
// GetGuiResources where the platform implements it. Wine answers 0 there, so
// the GDI count then walks the handle table with GetObjectType and the USER
// count counts this thread's windows (top-level and children).
HandleCounts CountHandles();
// Kernel handles (files, mutexes, searches, ...) open in this process,
// counted by probing handle values: Wine's GetProcessHandleCount answers a
// constant.
DWORD CountKernelHandles();

// ---- System colours --------------------------------------------------------

// Sets system colours for the life of the object, then restores the old ones.
class ScopedSysColors {
public:
    ScopedSysColors(std::initializer_list<std::pair<int, COLORREF>> colours);
    ~ScopedSysColors();
    ScopedSysColors(const ScopedSysColors&) = delete;
    ScopedSysColors& operator=(const ScopedSysColors&) = delete;

private:
    std::vector<int> indices_;
    std::vector<COLORREF> saved_;
};

}  // namespace wt

#endif
