// How long a whole repaint of the board control takes. Every change and every
// mouse move during a press repaints the whole control through a back
// buffer, so this is the cost the player feels. Beside each case stands the
// floor: one bare BitBlt of the same area (the client area, as far as the
// screen shows it), the last step of every repaint. Not a test and not a
// GoogleTest program: it prints one line per case (median of many rounds,
// ratio to the floor) and judges nothing; tools/bench.sh builds it and runs it
// under Wine.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/window_util.h"
#include "controls/board_control.h"
#include "engine/board.h"

namespace {

// What each repaint of a case has to show besides the cells.
enum class Shown {
    kBoard,    // the same board again: only what changed since is drawn
    kPress,    // a press in progress: the hot cell's edge and focus rectangle too
    kNewDeal,  // a new deal before every repaint (not timed): most cells change
};

struct Case {
    int columns;
    int rows;
    int cell;
    Shown shown;
};

constexpr Shown B = Shown::kBoard;

// The largest level at the largest view size; the largest grid the settings
// file allows at cell sizes from its smallest to its largest (a window larger
// than the system allows); the smallest board; then every level at every view
// size of the menu; a press shown on the largest level; and a new deal on the
// largest level and on the largest grid of the smallest cells.
constexpr Case kCases[] = {
    {16, 16, 40, B},
    {128, 128, 5, B},
    {128, 128, 8, B},
    {128, 128, 16, B},
    {128, 128, 64, B},
    {128, 128, 256, B},
    {4, 4, 8, B},
    {4, 4, 16, B},
    {4, 4, 24, B},
    {4, 4, 32, B},
    {4, 4, 40, B},
    {5, 5, 8, B},
    {5, 5, 16, B},
    {5, 5, 24, B},
    {5, 5, 32, B},
    {5, 5, 40, B},
    {6, 6, 8, B},
    {6, 6, 16, B},
    {6, 6, 24, B},
    {6, 6, 32, B},
    {6, 6, 40, B},
    {8, 8, 8, B},
    {8, 8, 16, B},
    {8, 8, 24, B},
    {8, 8, 32, B},
    {8, 8, 40, B},
    {16, 16, 8, B},
    {16, 16, 16, B},
    {16, 16, 24, B},
    {16, 16, 32, B},
    {16, 16, 40, Shown::kPress},
    {16, 16, 40, Shown::kNewDeal},
    {128, 128, 5, Shown::kNewDeal},
};

// The system makes no window larger than this.
constexpr int kMaxWindowExtent = 32767;

constexpr double kWarmUpMs = 200.0;  // per case, before the clock counts
constexpr int kMinRounds = 25;
constexpr int kMaxRounds = 400;
constexpr double kRoundBudgetMs = 4000.0;  // per case, once past the minimum

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

double Median(std::vector<double>* spans)
{
    std::sort(spans->begin(), spans->end());
    const size_t n = spans->size();
    return n % 2 ? (*spans)[n / 2] : ((*spans)[n / 2 - 1] + (*spans)[n / 2]) / 2.0;
}

// A whole repaint the way the control asks for one, then carried out at
// once; its span in ms, or -1 when the request left nothing to paint and so
// nothing was timed. The check between the two halves is the benchmark's own
// and costs two server round trips, a fifth of a small repaint: it stays off
// the clock.
double TimeRepaint(HWND board)
{
    const double start = NowMs();
    RequestRepaint(board);
    const double requested = NowMs();
    if (!GetUpdateRect(board, nullptr, FALSE)) {
        return -1.0;
    }
    const double resumed = NowMs();
    UpdateWindow(board);
    GdiFlush();
    return (requested - start) + (NowMs() - resumed);
}

struct Figures {
    double repaint;  // median ms, -1 when void
    double floor;
    int rounds;
};

// The floor is one BitBlt of a ready memory bitmap over the client area as
// far as the screen shows it: a repaint has no more to show. Repaints and
// blits take turns, round by round, so that both meet the machine in the same
// state: timed one series after the other, the ratio of one and the same
// build wandered by a fifth from run to run. Nothing else the window has to
// do runs inside the timed parts.
Figures Measure(HWND board, bool newDeals)
{
    uint32_t seed = 1;
    auto timeRepaint = [&] {
        if (newDeals) {
            BoardCtlNewGame(board, seed++);
        }
        return TimeRepaint(board);
    };
    HDC window = GetDC(board);
    RECT shown = {0, 0, 0, 0};
    GetClipBox(window, &shown);
    const int width = shown.right - shown.left;
    const int height = shown.bottom - shown.top;
    HDC memory = CreateCompatibleDC(window);
    HBITMAP bitmap = CreateCompatibleBitmap(window, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    PatBlt(memory, 0, 0, width, height, WHITENESS);
    auto timeBlit = [&] {
        const double start = NowMs();
        const BOOL done =
            BitBlt(window, shown.left, shown.top, width, height, memory, 0, 0, SRCCOPY);
        GdiFlush();
        return done ? NowMs() - start : -1.0;
    };

    Figures figures = {-1.0, -1.0, 0};
    std::vector<double> repaints;
    std::vector<double> blits;
    bool timed = true;
    const double warmUpEnd = NowMs() + kWarmUpMs;
    while (timed && NowMs() < warmUpEnd) {
        timed = timeRepaint() >= 0 && timeBlit() >= 0;
        PumpMessages();
    }
    const double begin = NowMs();
    while (timed &&
           (static_cast<int>(repaints.size()) < kMinRounds ||
            (static_cast<int>(repaints.size()) < kMaxRounds && NowMs() - begin < kRoundBudgetMs))) {
        const double repaint = timeRepaint();
        PumpMessages();
        const double blit = timeBlit();
        PumpMessages();
        timed = repaint >= 0 && blit >= 0;
        repaints.push_back(repaint);
        blits.push_back(blit);
    }
    if (timed) {
        figures = Figures{Median(&repaints), Median(&blits), static_cast<int>(repaints.size())};
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(board, window);
    return figures;
}

LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

}  // namespace

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
    HWND host =
        CreateWindowExA(0, "bench_host", "board repaint", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN,
                        0, 0, largest, largest, nullptr, nullptr, instance, nullptr);
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
        Board* model = static_cast<Board*>(GetPropA(board, kBoardProp));
        if (c.shown == Shown::kPress && model) {
            BoardSetHot(model, GridPoint{c.columns / 2, c.rows / 2}, 1);
        }
        PumpMessages();

        const Figures figures = Measure(board, c.shown == Shown::kNewDeal);
        const double repaint = figures.repaint;
        const double floorMs = figures.floor;
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
                      c.shown == Shown::kPress     ? ", press shown"
                      : c.shown == Shown::kNewDeal ? ", new deal"
                                                   : "");
        std::printf("%-36s (%4d x %4d px): median %8.3f ms per repaint, floor %6.3f ms, "
                    "ratio %6.1f  [%d rounds]\n",
                    label, size.x, size.y, repaint, floorMs, floorMs > 0 ? repaint / floorMs : 0.0,
                    figures.rounds);
        std::fflush(stdout);
    }
    DestroyWindow(host);
    return status;
}
