// The board control when memory runs out: a control that cannot hold its
// whole state is not created at all, and a new board that cannot be made
// leaves the old one in place, silently. The failures are forced through the
// malloc seam, which also counts what is left allocated.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/window_util.h"
#include "controls/board_control.h"
#include "engine/board.h"
#include "tests/wine/import_seam.h"
#include "tests/wine/malloc_seam.h"
#include "tests/wine/support/wine_test.h"

namespace {

constexpr int kId = 78;

struct AllocOutcome {
    int calls;
    int live;
    bool failed;
    size_t failedSize;
};

// Runs `action` with the `failNth`-th malloc from now failing (0: none) and
// reads the seam before anything else can allocate.
template <typename Action>
AllocOutcome UnderWatch(int failNth, Action action)
{
    ms::MallocWatch watch(failNth);
    action();
    return {watch.Calls(), watch.Live(), watch.Failed(), watch.FailedSize()};
}

// ---- Watching a creation from the inside ------------------------------------

// A thread CBT hook subclasses every "board" window the moment it exists, so
// that the result of its WM_CREATE and the properties it still holds at its
// very end can be seen even when CreateWindowExA returns no window.
struct CreationLog {
    int boards = 0;
    LRESULT createResult = 0;
    int propsAtEnd = 0;
    bool ended = false;
};
CreationLog g_log;
WNDPROC g_realProc = nullptr;

LRESULT CALLBACK SpyProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = CallWindowProcA(g_realProc, hwnd, msg, wParam, lParam);
    if (msg == WM_CREATE) g_log.createResult = result;
    if (msg == WM_NCDESTROY) {
        g_log.propsAtEnd =
            (GetPropA(hwnd, kBoardProp) != nullptr) + (GetPropA(hwnd, kCellSizeProp) != nullptr);
        g_log.ended = true;
    }
    return result;
}

LRESULT CALLBACK SpyHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND) {
        HWND hwnd = reinterpret_cast<HWND>(wParam);
        char name[16] = "";
        GetClassNameA(hwnd, name, sizeof name);
        if (std::strcmp(name, "board") == 0) {
            ++g_log.boards;
            g_realProc = reinterpret_cast<WNDPROC>(
                SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SpyProc)));
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

class CreationSpy {
public:
    CreationSpy()
    {
        g_log = CreationLog();
        hook_ = SetWindowsHookExA(WH_CBT, SpyHook, nullptr, GetCurrentThreadId());
    }
    ~CreationSpy() { UnhookWindowsHookEx(hook_); }
    bool Hooked() const { return hook_ != nullptr; }

private:
    HHOOK hook_;
};

// The allocations of a creation, in the order the control makes them.
struct Allocation {
    int nth;
    size_t size;
    const char* what;
};
const Allocation kCreation[] = {
    {1, 4 * sizeof(void*) + sizeof(CellSize) + 2 * sizeof(int32_t),
     "the control's record (with the cell size and the fewest presses)"},
    {2, 3 * 2 * sizeof(uint32_t), "the first board's cell words"},
    {3, sizeof(Board), "the first board's record"},
};

}  // namespace

TEST(BoardCtlMemory, TheSeamSeesEveryAllocationOfAControlAndItsRelease)
{
    // Were the product's mallocs not wrapped, every failure below would go
    // unforced and those tests would fail for a reason they do not name.
    wt::TestWindow host(200, 100);
    BoardCtlRegister(GetModuleHandleA(nullptr));
    ms::MallocWatch watch;
    HWND board = BoardCtlCreate(host.hwnd(), kId, WS_CHILD | WS_VISIBLE);
    const int calls = watch.Calls();
    const int liveWhileShown = watch.Live();
    DestroyWindow(board);
    const int liveAfter = watch.Live();
    ASSERT_NE(nullptr, board);
    EXPECT_EQ(3, calls);
    EXPECT_EQ(3, liveWhileShown);
    EXPECT_EQ(0, liveAfter);
}

TEST(BoardCtlMemory, ACreationThatCannotAllocateFailsAndLeavesNothingBehind)
{
    int notifications = 0;
    wt::TestWindow host(200, 100, [&](HWND, UINT msg, WPARAM, LPARAM, LRESULT*) {
        notifications += msg == WM_NOTIFY;
        return false;
    });
    BoardCtlRegister(GetModuleHandleA(nullptr));
    for (const Allocation& a : kCreation) {
        SCOPED_TRACE(a.what);
        const wt::HandleCounts before = wt::CountHandles();
        HWND board = nullptr;
        AllocOutcome outcome;
        {
            CreationSpy spy;
            ASSERT_TRUE(spy.Hooked());
            outcome = UnderWatch(
                a.nth, [&] { board = BoardCtlCreate(host.hwnd(), kId, WS_CHILD | WS_VISIBLE); });
        }
        wt::PumpMessages();
        const wt::HandleCounts after = wt::CountHandles();

        ASSERT_TRUE(outcome.failed);
        EXPECT_EQ(a.size, outcome.failedSize);  // the allocation meant, not another
        EXPECT_EQ(nullptr, board);
        EXPECT_EQ(1, g_log.boards);
        EXPECT_EQ(-1, g_log.createResult);
        EXPECT_TRUE(g_log.ended);
        EXPECT_EQ(0, g_log.propsAtEnd);
        EXPECT_EQ(0, outcome.live);
        EXPECT_EQ(before.gdi, after.gdi);
        EXPECT_EQ(before.user, after.user);
        EXPECT_EQ(nullptr, GetDlgItem(host.hwnd(), kId));
    }
    EXPECT_EQ(0, notifications);

    // The failures leave nothing armed: the next control is whole.
    HWND board = BoardCtlCreate(host.hwnd(), kId, WS_CHILD | WS_VISIBLE);
    ASSERT_NE(nullptr, board);
    EXPECT_EQ(54, GetWindowSize(board).x);
    DestroyWindow(board);
}

TEST(BoardCtlMemory, ADealIsSolvedOnceWhenAskedAndAgainOnlyAfterMemoryRanOut)
{
    wt::TestWindow host(200, 100);
    BoardCtlRegister(GetModuleHandleA(nullptr));
    HWND board = BoardCtlCreate(host.hwnd(), kId, WS_CHILD | WS_VISIBLE);
    ASSERT_NE(nullptr, board);
    ASSERT_EQ(1, BoardCtlNewBoard(board, 4, 4));
    // Dealing leaves the solver alone: it allocates, so it would show here.
    EXPECT_EQ(0, UnderWatch(0, [&] { BoardCtlNewGame(board, 4242u); }).calls);
    // The first question reads the deal off the board (16 bytes, and 16 for
    // the presses) and gives the solver its work.
    const Allocation kDeal[] = {
        {1, 32, "the deal and the presses"},
        {2, 0, "the solver's work"},
    };
    for (const Allocation& a : kDeal) {
        SCOPED_TRACE(a.what);
        int result = 0;
        const AllocOutcome outcome =
            UnderWatch(a.nth, [&] { result = BoardCtlGetFewestPresses(board, nullptr); });
        ASSERT_TRUE(outcome.failed);
        if (a.size) {
            EXPECT_EQ(a.size, outcome.failedSize);
        }
        EXPECT_EQ(-1, result);
        EXPECT_EQ(1, BoardCtlHasGame(board));
        EXPECT_EQ(0, outcome.live);
    }
    // Once memory is there again the count comes, and then stays: a retry
    // and a second win of the deal ask the solver nothing.
    const int fewest = BoardCtlGetFewestPresses(board, nullptr);
    EXPECT_GT(fewest, 0);
    int result = 0;
    const AllocOutcome again = UnderWatch(0, [&] {
        BoardCtlRetry(board);
        result = BoardCtlGetFewestPresses(board, nullptr);
    });
    EXPECT_EQ(0, again.calls);
    EXPECT_EQ(fewest, result);
    DestroyWindow(board);

    // Deals of every level, solved and then freed with their control.
    ms::MallocWatch watch;
    HWND other = BoardCtlCreate(host.hwnd(), kId, WS_CHILD | WS_VISIBLE);
    for (const int side : {4, 5, 6, 8, 16}) {
        BoardCtlNewBoard(other, side, side);
        BoardCtlNewGame(other, 7u);
        EXPECT_GE(BoardCtlGetFewestPresses(other, nullptr), 0);
    }
    DestroyWindow(other);
    EXPECT_EQ(0, watch.Live());
}

// ---- A new board that cannot be made ----------------------------------------

namespace {

class BoardCtlMemoryNewBoard : public testing::Test {
protected:
    void SetUp() override
    {
        BoardCtlRegister(GetModuleHandleA(nullptr));
        board = BoardCtlCreate(host.hwnd(), kId, WS_CHILD | WS_VISIBLE);
        ASSERT_NE(nullptr, board);
        SetWindowPosition(board, 10, 10);
        ASSERT_EQ(1, BoardCtlNewBoard(board, 4, 4));
        ASSERT_EQ(1, BoardCtlNewGame(board, 4242u));  // sunk cells, unlike any new board
        wt::PumpMessages();
        notes.clear();
    }
    void TearDown() override
    {
        if (IsWindow(board)) DestroyWindow(board);
        wt::PumpMessages();
    }

    wt::Pixels Shown()
    {
        RequestRepaint(board);
        wt::PumpMessages();
        return wt::ReadClientPixels(board);
    }

    std::vector<UINT> notes;
    wt::TestWindow host{300, 200, [this](HWND, UINT msg, WPARAM, LPARAM lParam, LRESULT*) {
                            if (msg != WM_NOTIFY) return false;
                            notes.push_back(reinterpret_cast<const NMHDR*>(lParam)->code);
                            return true;
                        }};
    HWND board = nullptr;
};

}  // namespace

TEST_F(BoardCtlMemoryNewBoard, KeepsTheOldBoardItsLookAndTheControlsSizeSilently)
{
    const Allocation kNewBoard[] = {
        {1, 6 * 6 * sizeof(uint32_t), "the cell words"},
        {2, sizeof(Board), "the record"},
    };
    const void* model = GetPropA(board, kBoardProp);
    const wt::Pixels before = Shown();
    ASSERT_NE(before.Count({0, 0, before.width, before.height}, RGB(192, 192, 192)),
              before.width * before.height);
    for (const Allocation& a : kNewBoard) {
        SCOPED_TRACE(a.what);
        int result = -1;
        const AllocOutcome outcome =
            UnderWatch(a.nth, [&] { result = BoardCtlNewBoard(board, 6, 6); });
        ASSERT_TRUE(outcome.failed);
        EXPECT_EQ(a.size, outcome.failedSize);
        EXPECT_EQ(0, result);
        EXPECT_EQ(0, outcome.live);
        EXPECT_EQ(model, GetPropA(board, kBoardProp));
        GridPoint grid;
        ASSERT_EQ(1, BoardCtlGetGridSize(board, &grid));
        EXPECT_EQ(4, grid.x);
        EXPECT_EQ(4, grid.y);
        EXPECT_EQ(1, BoardCtlHasGame(board));
        EXPECT_EQ(70, GetWindowSize(board).x);
        EXPECT_EQ(70, GetWindowSize(board).y);
        EXPECT_TRUE(notes.empty());
        const wt::Pixels after = Shown();
        EXPECT_TRUE(before.data == after.data) << "the cells on screen changed";
    }
    // The largest board the guard lets through goes to the allocator, which a
    // 64-bit process may well satisfy; here it refuses.
    const AllocOutcome largest = UnderWatch(1, [&] { BoardCtlNewBoard(board, INT32_MAX / 4, 1); });
    EXPECT_EQ(size_t{INT32_MAX / 4} * 4, largest.failedSize);

    // A new board that cannot be named (here the cell size's property fails)
    // leaves the old one named.
    {
        is::Failing failing(is::Call::SetPropA, 2);
        EXPECT_EQ(0, BoardCtlNewBoard(board, 6, 6));
        EXPECT_EQ(1, failing.Calls());
    }
    EXPECT_EQ(model, GetPropA(board, kBoardProp));
    EXPECT_TRUE(notes.empty());

    // Once memory is there again the same request goes through.
    ASSERT_EQ(1, BoardCtlNewBoard(board, 6, 6));
    EXPECT_EQ(std::vector<UINT>{BN_GRIDSIZE}, notes);
    EXPECT_EQ(102, GetWindowSize(board).x);
}
