#include "tests/wine/support/wine_test.h"

#include <cstring>

#include "controls/back_buffer.h"

namespace wt {

// ---- Messages --------------------------------------------------------------

namespace {

bool DispatchWaiting()
{
    bool any = false;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        any = true;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return any;
}

}  // namespace

void PumpMessages()
{
    // Wine delivers X events (exposures, pointer moves) only when the queue is
    // polled, so an empty queue counts as idle only after a short wait stays
    // empty. The bound keeps a busy queue (a fast timer) from pumping forever.
    const DWORD start = GetTickCount();
    int quiet = 0;
    while (quiet < 2 && GetTickCount() - start < 3000) {
        if (DispatchWaiting()) {
            quiet = 0;
            continue;
        }
        if (MsgWaitForMultipleObjects(0, nullptr, FALSE, 15, QS_ALLINPUT) == WAIT_TIMEOUT) {
            ++quiet;
        }
    }
}

void PumpFor(DWORD ms)
{
    const DWORD start = GetTickCount();
    for (;;) {
        DispatchWaiting();
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= ms) break;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - elapsed, QS_ALLINPUT);
    }
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    while (!done()) {
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs) return done();
        DispatchWaiting();
        if (done()) break;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

// ---- Windows ---------------------------------------------------------------

const char* RegisterTestClass(const char* name, WNDPROC proc)
{
    WNDCLASSEXA wc;
    if (!GetClassInfoExA(GetModuleHandleA(nullptr), name, &wc)) {
        memset(&wc, 0, sizeof wc);
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
        wc.lpszClassName = name;
        RegisterClassExA(&wc);
    }
    return name;
}

TestWindow::TestWindow(int clientWidth, int clientHeight, Handler handler, DWORD style)
    : handler_(std::move(handler))
{
    const char* cls = RegisterTestClass("wt_host", &TestWindow::Proc);
    RECT frame = {0, 0, clientWidth, clientHeight};
    AdjustWindowRect(&frame, style, FALSE);
    hwnd_ = CreateWindowExA(0, cls, "wine test", style, 40, 40, frame.right - frame.left,
                            frame.bottom - frame.top, nullptr, nullptr, GetModuleHandleA(nullptr),
                            this);
    ShowWindow(hwnd_, SW_SHOW);
    SetForegroundWindow(hwnd_);
    UpdateWindow(hwnd_);
    PumpMessages();
}

TestWindow::~TestWindow()
{
    if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
    PumpMessages();
}

LRESULT CALLBACK TestWindow::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<TestWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self && self->handler_) {
        LRESULT result = 0;
        if (self->handler_(hwnd, msg, wParam, lParam, &result)) return result;
    }
    if (msg == WM_NCDESTROY && self) {
        self->hwnd_ = nullptr;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

// ---- Pixels ----------------------------------------------------------------

int Pixels::Count(const RECT& rect, COLORREF colour) const
{
    int n = 0;
    for (int y = rect.top; y < rect.bottom; ++y)
        for (int x = rect.left; x < rect.right; ++x)
            if (At(x, y) == colour) ++n;
    return n;
}

std::string Pixels::Picture(const RECT& rect,
                            const std::vector<std::pair<COLORREF, char>>& legend) const
{
    std::string out;
    for (int y = rect.top; y < rect.bottom; ++y) {
        for (int x = rect.left; x < rect.right; ++x) {
            char c = '?';
            for (const auto& entry : legend)
                if (entry.first == At(x, y)) c = entry.second;
            out += c;
        }
        out += '\n';
    }
    return out;
}

Pixels ReadDcPixels(HDC dc, const RECT& rect)
{
    Pixels pixels;
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return pixels;

    void* bits = nullptr;
    HBITMAP dib = CreateTopDownDib(dc, width, height, &bits);
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, dib);
    BitBlt(memory, 0, 0, width, height, dc, rect.left, rect.top, SRCCOPY);
    GdiFlush();
    pixels.width = width;
    pixels.height = height;
    pixels.data.resize(static_cast<size_t>(width) * height);
    const auto* raw = static_cast<const uint32_t*>(bits);
    for (size_t i = 0; i < pixels.data.size(); ++i) {
        const uint32_t v = raw[i];
        pixels.data[i] = RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    }
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(dib);
    return pixels;
}

Pixels ReadClientPixels(HWND window)
{
    RECT client;
    GetClientRect(window, &client);
    HDC dc = GetDC(window);
    Pixels pixels = ReadDcPixels(dc, client);
    ReleaseDC(window, dc);
    return pixels;
}

Pixels ReadScreenPixels(const RECT& screenRect)
{
    HDC dc = GetDC(nullptr);
    Pixels pixels = ReadDcPixels(dc, screenRect);
    ReleaseDC(nullptr, dc);
    return pixels;
}

Pixels DrawOffscreen(int width, int height, COLORREF background,
                     const std::function<void(HDC)>& draw)
{
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP dib = CreateTopDownDib(screen, width, height, &bits);
    HGDIOBJ old = SelectObject(memory, dib);
    HBRUSH brush = CreateSolidBrush(background);
    RECT all = {0, 0, width, height};
    FillRect(memory, &all, brush);
    DeleteObject(brush);
    draw(memory);
    Pixels pixels = ReadDcPixels(memory, all);
    SelectObject(memory, old);
    DeleteObject(dib);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

// ---- The real cursor and mouse ---------------------------------------------

void MoveCursorToClient(HWND window, int x, int y)
{
    POINT target = {x, y};
    ClientToScreen(window, &target);
    SetCursorPos(target.x, target.y);
    PumpUntil(
        [&] {
            POINT now;
            GetCursorPos(&now);
            return now.x == target.x && now.y == target.y;
        },
        1000);
    PumpMessages();
}

void SendMouseButton(bool down)
{
    INPUT input;
    memset(&input, 0, sizeof input);
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    SendInput(1, &input, sizeof input);
}

void ClickClient(HWND window, int x, int y)
{
    MoveCursorToClient(window, x, y);
    SendMouseButton(true);
    PumpMessages();
    SendMouseButton(false);
    PumpMessages();
}

// ---- Handles ---------------------------------------------------------------

namespace {

BOOL CALLBACK CountChild(HWND, LPARAM count)
{
    ++*reinterpret_cast<DWORD*>(count);
    return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND hwnd, LPARAM count)
{
    // The system's own per-thread input method window comes and goes with
    // the first window of the thread; it is not the program's.
    char cls[16];
    if (GetClassNameA(hwnd, cls, sizeof cls) && strcmp(cls, "IME") == 0) return TRUE;
    ++*reinterpret_cast<DWORD*>(count);
    EnumChildWindows(hwnd, CountChild, count);
    return TRUE;
}

}  // namespace

HandleCounts CountHandles()
{
    HandleCounts counts;
    counts.gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    counts.user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    if (counts.gdi == 0) {
        // Wine keeps GDI handles in a per-process table indexed by the low
        // word, and accepts a handle whose high word is zero.
        for (ULONG_PTR i = 1; i < 0x10000; ++i)
            if (GetObjectType(reinterpret_cast<HGDIOBJ>(i))) ++counts.gdi;
    }
    if (counts.user == 0) {
        EnumThreadWindows(GetCurrentThreadId(), CountTopLevel,
                          reinterpret_cast<LPARAM>(&counts.user));
    }
    HANDLE heap = GetProcessHeap();
    HeapLock(heap);
    PROCESS_HEAP_ENTRY entry = {};
    while (HeapWalk(heap, &entry))
        if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) ++counts.heapBlocks;
    HeapUnlock(heap);
    return counts;
}

DWORD CountKernelHandles()
{
    DWORD count = 0, flags = 0;
    for (ULONG_PTR value = 4; value < 0x4000; value += 4)
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++count;
    return count;
}

// ---- System colours --------------------------------------------------------

ScopedSysColors::ScopedSysColors(std::initializer_list<std::pair<int, COLORREF>> colours)
{
    std::vector<COLORREF> wanted;
    for (const auto& c : colours) {
        indices_.push_back(c.first);
        saved_.push_back(GetSysColor(c.first));
        wanted.push_back(c.second);
    }
    SetSysColors(static_cast<int>(indices_.size()), indices_.data(), wanted.data());
    PumpMessages();
}

ScopedSysColors::~ScopedSysColors()
{
    SetSysColors(static_cast<int>(indices_.size()), indices_.data(), saved_.data());
    PumpMessages();
}

}  // namespace wt
