// How long a whole repaint of the board control takes. Every change and every
// mouse move during a press repaints the whole control through a back
// buffer, so this is the cost the player feels. Beside each case stands the
// floor: one bare BitBlt of the same area (the client area, as far as the
// screen shows it), the last step of every repaint. Not a test and not a GoogleTest program: it prints one line per
// case (median of many rounds, ratio to the floor) and judges nothing;
// tools/bench.sh builds it and runs it under Wine.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/window_util.h"
#include "controls/board_control.h"
#include "engine/board.h"

namespace {

struct Case {
    int columns;
    int rows;
    int cell;
    bool pressShown;  // a press in progress: the hot cell's edge and focus rectangle too
};

// The largest level at the largest view size; the largest grid the settings
// file allows at cell sizes from its smallest to its largest (a window larger
// than the system allows); the smallest board; then every level at every view
// size of the menu, and a press shown on the largest level.
constexpr Case kCases[] = {
    {16, 16, 40, false},   {128, 128, 5, false}, {128, 128, 8, false}, {128, 128, 16, false},
    {128, 128, 64, false}, {128, 128, 256, false}, {4, 4, 8, false},
    {4, 4, 16, false},  {4, 4, 24, false},  {4, 4, 32, false},  {4, 4, 40, false},
    {5, 5, 8, false},   {5, 5, 16, false},  {5, 5, 24, false},  {5, 5, 32, false},
    {5, 5, 40, false},  {6, 6, 8, false},   {6, 6, 16, false},  {6, 6, 24, false},
    {6, 6, 32, false},  {6, 6, 40, false},  {8, 8, 8, false},   {8, 8, 16, false},
    {8, 8, 24, false},  {8, 8, 32, false},  {8, 8, 40, false},  {16, 16, 8, false},
    {16, 16, 16, false}, {16, 16, 24, false}, {16, 16, 32, false}, {16, 16, 40, true},
};

// The system makes no window larger than this.
constexpr int kMaxWindowExtent = 32767;

constexpr int kWarmUpRounds = 3;
constexpr int kMinRounds = 25;
constexpr int kMaxRounds = 400;
constexpr double kRoundBudgetMs = 2000.0;  // per measurement, once past the minimum

double NowMs()
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void PumpMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// The median time of `step` over enough rounds to settle; nothing else the
// window has to do runs inside the timed part. A step returns false when it
// did not do what it is timed for, and then the measurement is void (-1).
template <typename Step>
double MedianMs(Step step, int* rounds)
{
    for (int i = 0; i < kWarmUpRounds; ++i) {
        step();
        PumpMessages();
    }
    std::vector<double> spans;
    const double begin = NowMs();
    while (static_cast<int>(spans.size()) < kMinRounds ||
           (static_cast<int>(spans.size()) < kMaxRounds && NowMs() - begin < kRoundBudgetMs)) {
        const double start = NowMs();
        const bool done = step();
        const double span = NowMs() - start;
        if (!done) {
            return -1.0;
        }
        spans.push_back(span);
        PumpMessages();
    }
    *rounds = static_cast<int>(spans.size());
    std::sort(spans.begin(), spans.end());
    const size_t n = spans.size();
    return n % 2 ? spans[n / 2] : (spans[n / 2 - 1] + spans[n / 2]) / 2.0;
}

// A whole repaint the way the control asks for one, then carried out at once.
double RepaintMs(HWND board, int* rounds)
{
    return MedianMs(
        [board] {
            RequestRepaint(board);
            // A repaint request that left nothing to paint would time nothing.
            if (!GetUpdateRect(board, nullptr, FALSE)) {
                return false;
            }
            UpdateWindow(board);
            GdiFlush();
            return true;
        },
        rounds);
}

// One BitBlt of a ready memory bitmap over the client area as far as the
// screen shows it: a repaint has no more to show.
double FloorMs(HWND board, int* rounds)
{
    HDC window = GetDC(board);
    RECT shown = {0, 0, 0, 0};
    GetClipBox(window, &shown);
    const int width = shown.right - shown.left;
    const int height = shown.bottom - shown.top;
    HDC memory = CreateCompatibleDC(window);
    HBITMAP bitmap = CreateCompatibleBitmap(window, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    PatBlt(memory, 0, 0, width, height, WHITENESS);
    const double ms = MedianMs(
        [&] {
            const BOOL done =
                BitBlt(window, shown.left, shown.top, width, height, memory, 0, 0, SRCCOPY);
            GdiFlush();
            return done != FALSE;
        },
        rounds);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(board, window);
    return ms;
}

LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

} // namespace

int main()
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA hostClass = {};
    hostClass.lpfnWndProc = HostProc;
    hostClass.hInstance = instance;
    hostClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
    hostClass.lpszClassName = "bench_host";
    RegisterClassA(&hostClass);

    // Big enough for the largest board, so the parent clips none of it; a
    // popup, because a captioned window would be cut down to the screen.
    int largest = 0;
    for (const Case& c : kCases) {
        largest = std::max({largest, c.columns * c.cell + 6, c.rows * c.cell + 6});
    }
    largest = std::min(largest, kMaxWindowExtent);
    HWND host = CreateWindowExA(0, "bench_host", "board repaint",
                                WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, largest, largest,
                                nullptr, nullptr, instance, nullptr);
    BoardCtlRegister(instance);
    HWND board = host ? BoardCtlCreate(host, 10, WS_CHILD | WS_VISIBLE) : nullptr;
    if (!board) {
        std::fprintf(stderr, "could not create the windows\n");
        return 1;
    }
    int status = 0;
    for (const Case& c : kCases) {
        BoardCtlSetCellSize(board, c.cell, c.cell);
        BoardCtlNewBoard(board, c.columns, c.rows);
        BoardCtlNewGame(board, 20240601u);  // a mix of raised and sunk cells
        Board* model = static_cast<Board*>(GetPropA(board, "PROP_BOARD"));
        if (c.pressShown && model) {
            BoardSetHot(model, GridPoint{c.columns / 2, c.rows / 2}, 1);
        }
        PumpMessages();

        int repaintRounds = 0;
        int floorRounds = 0;
        const double repaint = RepaintMs(board, &repaintRounds);
        const double floorMs = FloorMs(board, &floorRounds);
        if (model) {
            BoardResetHot(model);
        }
        const GridPoint size = GetClientSize(board);
        if (repaint < 0 || floorMs < 0) {
            std::fprintf(stderr, "%d x %d cells of %d px: nothing to time\n", c.columns, c.rows,
                         c.cell);
            status = 1;
            continue;
        }
        char label[64];
        std::snprintf(label, sizeof label, "%d x %d cells of %d px%s", c.columns, c.rows, c.cell,
                      c.pressShown ? ", press shown" : "");
        std::printf("%-36s (%4d x %4d px): median %8.3f ms per repaint, floor %6.3f ms, "
                    "ratio %6.1f  [%d repaints, %d blits]\n",
                    label, size.x, size.y, repaint, floorMs, floorMs > 0 ? repaint / floorMs : 0.0,
                    repaintRounds, floorRounds);
        std::fflush(stdout);
    }
    DestroyWindow(host);
    return status;
}
