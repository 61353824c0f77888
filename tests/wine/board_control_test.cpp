// The board control in a real window, driven by the real cursor and judged by
// its pixels, its notifications and the puzzle it holds.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "app/window_util.h"
#include "controls/bevel.h"
#include "controls/board_control.h"
#include "engine/board.h"
#include "engine/solver.h"
#include "tests/wine/malloc_seam.h"
#include "tests/wine/support/wine_test.h"

namespace {

constexpr int kId = 77;
constexpr int kFrame = 3;

// Distinct system colours, so that a pixel tells which edge drew it.
constexpr COLORREF kHighlight = RGB(240, 250, 200);  // COLOR_BTNHIGHLIGHT
constexpr COLORREF kShadow = RGB(100, 60, 20);       // COLOR_BTNSHADOW
constexpr COLORREF kDkShadow = RGB(10, 20, 90);      // COLOR_3DDKSHADOW
constexpr COLORREF kLight3d = RGB(200, 130, 250);    // COLOR_3DLIGHT

// ---- Reading a cell's look --------------------------------------------------

// The edge colour under the focus dots: the most common of the colours an
// edge may have (the dots inverting every other pixel can tie with it).
COLORREF EdgeColour(const std::vector<COLORREF>& colours)
{
    std::map<COLORREF, int> counts;
    for (COLORREF c : colours)
        for (COLORREF edge : {kHighlight, kShadow, kDkShadow, kLight3d, kFaceColour})
            if (c == edge) ++counts[c];
    COLORREF best = CLR_INVALID;
    int most = 0;
    for (const auto& entry : counts)
        if (entry.second > most) best = entry.first, most = entry.second;
    return best;
}

// How a cell looks, from its two outer rings and its middle: "raised",
// "sunk", "pushed-in" (a raised cell under a press: EDGE_SUNKEN) or
// "pushed-out" (a sunk cell under a press: EDGE_RAISED), with "+focus" when
// the outer ring carries the dotted focus rectangle.
std::string LookOf(const wt::Pixels& p, const RECT& cell)
{
    std::vector<COLORREF> outerTop;
    for (int x = cell.left + 1; x < cell.right - 2; ++x) outerTop.push_back(p.At(x, cell.top));
    const COLORREF outer = EdgeColour(outerTop);
    int dots = 0;
    for (COLORREF c : outerTop) dots += c != outer;
    const int midX = (cell.left + cell.right) / 2;
    const COLORREF innerTop = p.At(midX, cell.top + 1);
    const COLORREF innerBottom = p.At(midX, cell.bottom - 2);
    const COLORREF middle = p.At(midX, (cell.top + cell.bottom) / 2);

    struct Kind {
        COLORREF outer, innerTop, innerBottom;
        const char* name;
    };
    static const Kind kinds[] = {
        {kHighlight, kHighlight, kShadow, "raised"},
        {kShadow, kFaceColour, kFaceColour, "sunk"},
        {kShadow, kDkShadow, kLight3d, "pushed-in"},    // EDGE_SUNKEN
        {kLight3d, kHighlight, kShadow, "pushed-out"},  // EDGE_RAISED
    };
    std::string look = "unknown";
    for (const Kind& k : kinds)
        if (middle == kFaceColour && outer == k.outer && innerTop == k.innerTop &&
            innerBottom == k.innerBottom)
            look = k.name;
    if (dots >= static_cast<int>(outerTop.size()) / 4) return look + "+focus";
    return dots == 0 ? look : look + "+stray";
}

// ---- Watching the control ---------------------------------------------------

struct Note {
    UINT code;
    HWND from;
    UINT_PTR id;
    WPARAM wParam;
    GridPoint windowSize;  // at the moment of the notification
    bool captured;
    bool hot;
    const void* model;
    bool repaintDue;  // the control has asked for a repaint
};

int g_paints = 0;
WNDPROC g_boardProc = nullptr;

// Counts the paints the control receives, on top of its own procedure.
LRESULT CALLBACK CountingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_PAINT) ++g_paints;
    return CallWindowProcA(g_boardProc, hwnd, msg, wParam, lParam);
}

Board* Model(HWND board)
{
    return static_cast<Board*>(GetPropA(board, kBoardProp));
}

// A board control of `columns` x `rows` cells of 16 pixels at (10, 10) in a
// test window, unlocked, with every notification recorded.
class BoardCtlTest : public testing::Test {
protected:
    void SetUp() override
    {
        BoardCtlRegister(GetModuleHandleA(nullptr));
        board = BoardCtlCreate(host.hwnd(), kId, WS_CHILD | WS_VISIBLE);
        ASSERT_NE(nullptr, board);
        SetWindowPosition(board, 10, 10);
        g_boardProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(board, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountingProc)));
        BoardCtlUnlock();
        wt::PumpMessages();
    }
    void TearDown() override
    {
        if (IsWindow(board)) DestroyWindow(board);
        BoardCtlLock();  // as every process starts
        wt::PumpMessages();
    }

    void Grid(int columns, int rows)
    {
        BoardCtlNewBoard(board, columns, rows);
        wt::PumpMessages();
        notes.clear();
        g_paints = 0;
    }
    POINT Centre(int x, int y) const { return {kFrame + x * 16 + 8, kFrame + y * 16 + 8}; }
    RECT CellRect(int x, int y) const
    {
        return {kFrame + x * 16, kFrame + y * 16, kFrame + x * 16 + 16, kFrame + y * 16 + 16};
    }
    void MoveTo(POINT at) { wt::MoveCursorToClient(board, at.x, at.y); }
    void Down(POINT at)
    {
        MoveTo(at);
        wt::SendMouseButton(true);
        wt::PumpMessages();
    }
    void Up()
    {
        wt::SendMouseButton(false);
        wt::PumpMessages();
    }
    void Click(POINT at) { Down(at), Up(); }
    std::string Look(int x, int y) { return LookOf(wt::ReadClientPixels(board), CellRect(x, y)); }
    std::vector<UINT> Codes() const
    {
        std::vector<UINT> codes;
        for (const Note& n : notes) codes.push_back(n.code);
        return codes;
    }
    // The sunk cells, one string per row: '#' sunk, '.' raised.
    std::vector<std::string> Cells()
    {
        const Board* model = Model(board);
        std::vector<std::string> rows;
        for (int y = 0; y < BoardRows(model); ++y) {
            rows.emplace_back();
            for (int x = 0; x < BoardColumns(model); ++x)
                rows.back() += BoardIsSunk(model, GridPoint{x, y}) ? '#' : '.';
        }
        return rows;
    }

    wt::ScopedSysColors colours{{COLOR_BTNHIGHLIGHT, kHighlight},
                                {COLOR_BTNSHADOW, kShadow},
                                {COLOR_3DDKSHADOW, kDkShadow},
                                {COLOR_3DLIGHT, kLight3d},
                                {COLOR_WINDOWTEXT, RGB(255, 255, 255)}};  // an XOR'ed focus shows
    std::vector<Note> notes;
    std::function<void(HWND)> onPressed;  // the parent's extra reaction
    std::function<void(HWND)> onSolved;
    wt::TestWindow host{400, 300, [this](HWND, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT*) {
                            if (msg != WM_NOTIFY) return false;
                            const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
                            GridPoint hot;
                            const Board* model = Model(header->hwndFrom);
                            notes.push_back({header->code, header->hwndFrom, header->idFrom, wParam,
                                             GetWindowSize(header->hwndFrom),
                                             GetCapture() == header->hwndFrom,
                                             model && BoardGetHot(model, &hot) != 0, model,
                                             GetUpdateRect(header->hwndFrom, nullptr, FALSE) != 0});
                            if (header->code == BN_PRESSED && onPressed)
                                onPressed(header->hwndFrom);
                            if (header->code == BN_SOLVED && onSolved) onSolved(header->hwndFrom);
                            return true;
                        }};
    HWND board = nullptr;
};

const std::vector<UINT> kNone;
const std::vector<UINT> kPressed = {BN_PRESSED};
const std::vector<UINT> kSolved = {BN_SOLVED};

}  // namespace

// Runs first: the lock is process-wide and every later fixture changes it.
TEST(BoardCtlLock, ClicksDoNothingUntilTheFirstUnlock)
{
    int notifications = 0;
    wt::TestWindow host(200, 100, [&](HWND, UINT msg, WPARAM, LPARAM, LRESULT*) {
        notifications += msg == WM_NOTIFY;
        return false;
    });
    BoardCtlRegister(GetModuleHandleA(nullptr));
    HWND board = BoardCtlCreate(host.hwnd(), kId, WS_CHILD | WS_VISIBLE);
    wt::MoveCursorToClient(board, 10, 10);
    wt::SendMouseButton(true);
    wt::PumpMessages();
    EXPECT_EQ(nullptr, GetCapture());
    wt::SendMouseButton(false);
    wt::PumpMessages();
    EXPECT_TRUE(BoardIsSolved(Model(board)));
    EXPECT_EQ(0, notifications);  // not even BN_SOLVED for the all-raised board
    DestroyWindow(board);
}

// ---- Creation, size and notifications ---------------------------------------

TEST_F(BoardCtlTest, ANewControlShowsThreeByTwoRaisedCellsInASunkenFrame)
{
    EXPECT_EQ(54, GetWindowSize(board).x);
    EXPECT_EQ(38, GetWindowSize(board).y);
    EXPECT_EQ(static_cast<DWORD>(CS_BYTEALIGNCLIENT), GetClassLongA(board, GCL_STYLE));
    GridPoint grid;
    CellSize cell;
    ASSERT_EQ(1, BoardCtlGetGridSize(board, &grid));
    ASSERT_EQ(1, BoardCtlGetCellSize(board, &cell));
    EXPECT_EQ(3, grid.x);
    EXPECT_EQ(2, grid.y);
    EXPECT_EQ(16, cell.width);
    EXPECT_EQ(16, cell.height);
    EXPECT_EQ(kNone, Codes());  // creation is silent
    EXPECT_EQ(0, BoardCtlHasGame(board));

    const wt::Pixels p = wt::ReadClientPixels(board);
    for (int ring = 0; ring < kFrame; ++ring) {
        EXPECT_EQ(kShadow, p.At(ring, 20)) << ring;
        EXPECT_EQ(kShadow, p.At(27, ring)) << ring;
        EXPECT_EQ(kHighlight, p.At(53 - ring, 20)) << ring;
        EXPECT_EQ(kHighlight, p.At(27, 37 - ring)) << ring;
    }
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ("raised", Look(x, y)) << x << "," << y;
}

TEST_F(BoardCtlTest, SizeChangesResizeTheControlBeforeTheyAreReported)
{
    RECT before;
    GetWindowRect(board, &before);
    ASSERT_EQ(1, BoardCtlSetCellSize(board, 20, 30));
    ASSERT_EQ(1u, notes.size());
    EXPECT_EQ(BN_CELLSIZE, notes[0].code);
    EXPECT_EQ(board, notes[0].from);
    EXPECT_EQ(static_cast<UINT_PTR>(kId), notes[0].id);
    EXPECT_EQ(static_cast<WPARAM>(kId), notes[0].wParam);
    EXPECT_EQ(3 * 20 + 6, notes[0].windowSize.x);
    EXPECT_EQ(2 * 30 + 6, notes[0].windowSize.y);

    const void* oldModel = Model(board);
    ASSERT_EQ(1, BoardCtlNewBoard(board, 5, 4));
    ASSERT_EQ(2u, notes.size());
    EXPECT_EQ(BN_GRIDSIZE, notes[1].code);
    EXPECT_EQ(5 * 20 + 6, notes[1].windowSize.x);
    EXPECT_EQ(4 * 30 + 6, notes[1].windowSize.y);
    EXPECT_NE(oldModel, notes[1].model);  // the new board is in place when the parent hears
    GridPoint preferred;
    ASSERT_EQ(1, BoardCtlGetPreferredSize(board, &preferred));
    EXPECT_EQ(106, preferred.x);
    EXPECT_EQ(126, preferred.y);

    RECT after;
    GetWindowRect(board, &after);
    EXPECT_EQ(before.left, after.left);  // resized in place
    EXPECT_EQ(before.top, after.top);
}

TEST_F(BoardCtlTest, ANewBoardThatCannotBeMadeLeavesEverythingAsItWas)
{
    Grid(4, 4);
    const void* model = Model(board);
    EXPECT_EQ(0, BoardCtlNewBoard(board, 0, 5));
    EXPECT_EQ(0, BoardCtlNewBoard(board, 100000, 100000));
    EXPECT_EQ(model, Model(board));
    EXPECT_EQ(70, GetWindowSize(board).x);
    EXPECT_EQ(kNone, Codes());
}

TEST_F(BoardCtlTest, TheGridIsCentredInASpareAreaWhichHasNoCells)
{
    Grid(4, 4);  // 64 pixels wide
    // One pixel short of grid and frame: the grid starts just inside the frame.
    SetWindowSize(board, 69, 69);
    RequestRepaint(board);
    wt::PumpMessages();
    EXPECT_EQ(kShadow, wt::ReadClientPixels(board).At(2, 30));
    EXPECT_EQ(kHighlight, wt::ReadClientPixels(board).At(3, 30));
    SetWindowSize(board, 101, 70);
    RequestRepaint(board);  // a resize by others repaints only what it uncovers
    wt::PumpMessages();
    wt::Pixels p = wt::ReadClientPixels(board);
    EXPECT_EQ(kHighlight, p.At(18, 30));          // left edge of the first column
    EXPECT_EQ(RGB(192, 192, 192), p.At(17, 30));  // the face, light grey whatever the scheme
    EXPECT_EQ(kShadow, p.At(18 + 63, 30));        // right edge of the last column

    Down({17, 30});  // spare area: nothing starts
    EXPECT_EQ(nullptr, GetCapture());
    Up();
    notes.clear();
    Click({18, 30});
    EXPECT_EQ(kPressed, Codes());
    EXPECT_EQ((std::vector<std::string>{"#...", "##..", "#...", "...."}), Cells());

    BoardCtlSetCellSize(board, 9, 16);  // 4 x 9 = 36 wide...
    Grid(7, 4);                         // ...then 7 x 9 = 63
    SetWindowSize(board, 100, 70);
    RequestRepaint(board);
    wt::PumpMessages();
    p = wt::ReadClientPixels(board);
    EXPECT_EQ(kHighlight, p.At(19, 30));
    EXPECT_EQ(kFaceColour, p.At(18, 30));
    EXPECT_EQ(kShadow, p.At(19 + 62, 30));
    EXPECT_EQ(kFaceColour, p.At(19 + 63, 30));
    Click({19 + 8, 30});  // the first column's last pixel; the third, counted from the grid's top
    EXPECT_EQ("##.....", Cells()[1]);
}

// The class has no CS_HREDRAW or CS_VREDRAW: a control that shrinks must
// repaint itself, or the larger picture's cells stay where the new ones are.
TEST_F(BoardCtlTest, ASmallerBoardOrCellSizeShowsOnlyTheNewCells)
{
    Grid(4, 4);
    const auto pressMiddle = [&] {
        BoardPress(Model(board), GridPoint{1, 1});
        RequestRepaint(board);
        wt::PumpMessages();
    };
    pressMiddle();
    ASSERT_EQ("sunk", Look(1, 1));
    BoardCtlNewBoard(board, 3, 3);
    wt::PumpMessages();
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ("raised", Look(x, y)) << x << "," << y;

    pressMiddle();
    BoardCtlSetCellSize(board, 8, 8);
    wt::PumpMessages();
    const wt::Pixels p = wt::ReadClientPixels(board);
    const auto small = [](int x, int y) {
        return RECT{kFrame + x * 8, kFrame + y * 8, kFrame + x * 8 + 8, kFrame + y * 8 + 8};
    };
    EXPECT_EQ("sunk", LookOf(p, small(1, 1)));
    EXPECT_EQ("sunk", LookOf(p, small(1, 2)));
    EXPECT_EQ("raised", LookOf(p, small(2, 2)));

    // A cell without width or height shows no cell, not even one held down.
    for (const GridPoint size : {GridPoint{0, 8}, GridPoint{8, 0}}) {
        BoardCtlSetCellSize(board, 8, 8);
        Down({kFrame + 12, kFrame + 12});
        BoardCtlSetCellSize(board, size.x, size.y);
        wt::PumpMessages();
        const wt::Pixels held = wt::ReadClientPixels(board);
        const wt::Pixels frame = wt::DrawOffscreen(held.width, held.height, 0, [&](HDC dc) {
            const RECT all = {0, 0, held.width, held.height};
            FillFace(dc, &all);
            DrawSunkenBevel(dc, &all, kFrame);
        });
        EXPECT_TRUE(frame.data == held.data) << "the face in its frame, no more";
        Up();  // the capture's release repaints
        EXPECT_TRUE(held.data == wt::ReadClientPixels(board).data) << size.x << " x " << size.y;
    }
}

// ---- Tracking a press -------------------------------------------------------

TEST_F(BoardCtlTest, AClickShowsThePushAndFlipsTheCellWithItsNeighbours)
{
    Grid(4, 4);
    Down(Centre(1, 1));
    EXPECT_EQ(board, GetCapture());
    EXPECT_EQ("pushed-in+focus", Look(1, 1));
    EXPECT_EQ("raised", Look(2, 1));
    Up();
    EXPECT_EQ(kPressed, Codes());
    EXPECT_TRUE(notes[0].repaintDue);  // a parent that updates the window at once sees the move
    EXPECT_EQ((std::vector<std::string>{".#..", "###.", ".#..", "...."}), Cells());
    EXPECT_EQ(nullptr, GetCapture());
    EXPECT_EQ("sunk", Look(1, 1));  // the marks are gone
    EXPECT_EQ("sunk", Look(0, 1));
    EXPECT_EQ("raised", Look(3, 3));

    Down(Centre(1, 1));  // a sunk cell shows the raised edge a press would give it
    EXPECT_EQ("pushed-out+focus", Look(1, 1));
    Up();
    EXPECT_EQ((std::vector<std::string>{"....", "....", "....", "...."}), Cells());
}

TEST_F(BoardCtlTest, DraggingToAnotherCellWithdrawsThePush)
{
    Grid(4, 4);
    // A cell in the hot cell's column or row is another cell all the same.
    Down(Centre(1, 1));
    MoveTo(Centre(1, 2));
    EXPECT_EQ("raised+focus", Look(1, 1));  // still the hot cell, no longer pushed
    EXPECT_EQ("raised", Look(1, 2));
    MoveTo(Centre(1, 1));
    EXPECT_EQ("pushed-in+focus", Look(1, 1));
    MoveTo(Centre(2, 1));
    Up();
    EXPECT_EQ(kNone, Codes());  // no press, so no move and no win on the all-raised board
    EXPECT_EQ("raised", Look(1, 1));
    EXPECT_EQ(nullptr, GetCapture());
}

TEST_F(BoardCtlTest, LeavingTheGridFromTheHotCellKeepsItPushedButReleasingOutsideDoesNotPress)
{
    Grid(4, 4);
    Down(Centre(0, 0));
    MoveTo({1, 1});  // the frame
    EXPECT_EQ("pushed-in+focus", Look(0, 0));
    MoveTo({200, 150});  // beyond the control
    EXPECT_EQ("pushed-in+focus", Look(0, 0));
    Up();
    EXPECT_EQ(kNone, Codes());
    EXPECT_EQ("raised", Look(0, 0));
    EXPECT_EQ(nullptr, GetCapture());
}

TEST_F(BoardCtlTest, AButtonDownOutsideTheGridStartsNothing)
{
    Grid(4, 4);
    for (POINT at : {POINT{1, 1}, POINT{2, 40}, POINT{67, 67}}) {
        g_paints = 0;
        Down(at);
        EXPECT_EQ(nullptr, GetCapture()) << at.x << "," << at.y;
        EXPECT_EQ(0, g_paints) << at.x << "," << at.y;
        GridPoint hot;
        EXPECT_EQ(0, BoardGetHot(Model(board), &hot));
        Up();
    }
    EXPECT_EQ(kNone, Codes());  // a release on the frame is no win, though every cell is raised
}

TEST_F(BoardCtlTest, AQuickDoubleClickIsTwoPresses)
{
    Grid(4, 4);
    BoardPress(Model(board), GridPoint{3, 3});  // not solved by either press
    Down(Centre(1, 2));
    Up();
    Down(Centre(1, 2));
    Up();
    EXPECT_EQ((std::vector<UINT>{BN_PRESSED, BN_PRESSED}), Codes());
    EXPECT_EQ((std::vector<std::string>{"....", "....", "...#", "..##"}), Cells());
}

TEST_F(BoardCtlTest, ASolvingPressReportsItselfWithTheCaptureAndTheWinWithout)
{
    Grid(4, 4);
    BoardPress(Model(board), GridPoint{2, 2});
    onSolved = [](HWND) { BoardCtlLock(); };  // as the game does on a win
    Down(Centre(2, 2));
    Up();
    Down(Centre(2, 2));  // the second click of a double click
    Up();
    ASSERT_EQ((std::vector<UINT>{BN_PRESSED, BN_SOLVED}), Codes());
    EXPECT_TRUE(notes[0].captured);
    EXPECT_TRUE(notes[0].hot);
    EXPECT_FALSE(notes[1].captured);
    EXPECT_FALSE(notes[1].hot);
    EXPECT_TRUE(BoardIsSolved(Model(board)));
}

TEST_F(BoardCtlTest, ACellReachesToItsLastPixelAndTheNextBeginsRightAfter)
{
    Grid(4, 4);
    Click({kFrame + 15, kFrame + 15});  // the last pixel of (0, 0)
    EXPECT_EQ((std::vector<std::string>{"##..", "#...", "....", "...."}), Cells());
    Click({kFrame + 16, kFrame + 16});  // the first of (1, 1)
    EXPECT_EQ((std::vector<std::string>{"#...", ".##.", ".#..", "...."}), Cells());
    BoardCtlSetCellSize(board, 1, 16);  // the narrowest cell is drawn and takes clicks too
    Click({kFrame, kFrame + 16});
    EXPECT_EQ((std::vector<std::string>{"....", "#.#.", "##..", "...."}), Cells());
    EXPECT_EQ(0, wt::ReadClientPixels(board).Count({kFrame, kFrame, kFrame + 4, kFrame + 64},
                                                   kFaceColour));
}

// A busy game reads a click after the pointer has moved on: the messages,
// not the pointer, say where the button went down, moved and came up.
TEST_F(BoardCtlTest, APressIsWhereTheMessagesPutItWhereverThePointerIsNow)
{
    Grid(4, 4);
    MoveTo(Centre(3, 0));  // and there it stays
    const auto send = [&](UINT msg, WPARAM keys, POINT at) {
        SendMessageA(board, msg, keys, MAKELPARAM(at.x, at.y));
        wt::PumpMessages();
    };
    send(WM_LBUTTONDOWN, MK_LBUTTON, Centre(1, 2));
    ASSERT_EQ(board, GetCapture());
    EXPECT_EQ("pushed-in+focus", Look(1, 2));
    send(WM_MOUSEMOVE, 0, Centre(2, 2));  // without the button held: not tracked
    EXPECT_EQ("pushed-in+focus", Look(1, 2));
    send(WM_MOUSEMOVE, MK_LBUTTON, Centre(2, 1));
    EXPECT_EQ("raised+focus", Look(1, 2));
    send(WM_MOUSEMOVE, MK_LBUTTON, Centre(1, 2));
    send(WM_LBUTTONUP, 0, Centre(1, 2));
    EXPECT_EQ(kPressed, Codes());
    EXPECT_EQ((std::vector<std::string>{"....", ".#..", "###.", ".#.."}), Cells());

    // Under capture a point left of the control is negative: released just
    // beside the hot cell, the press is withdrawn.
    send(WM_LBUTTONDOWN, MK_LBUTTON, Centre(0, 1));
    send(WM_LBUTTONUP, 0, POINT{-5, Centre(0, 1).y});
    EXPECT_EQ(kPressed, Codes());
    EXPECT_EQ(nullptr, GetCapture());
    EXPECT_EQ(".#..", Cells()[1]);
}

// ---- The input lock ---------------------------------------------------------

TEST_F(BoardCtlTest, WhileLockedClicksChangeNothingAndReportNothing)
{
    Grid(4, 4);
    BoardCtlLock();
    Click(Centre(1, 1));
    EXPECT_EQ(kNone, Codes());
    EXPECT_TRUE(BoardIsSolved(Model(board)));
    BoardPress(Model(board), GridPoint{0, 0});
    RequestRepaint(board);
    Down(Centre(0, 0));
    EXPECT_EQ(nullptr, GetCapture());
    EXPECT_EQ("sunk", Look(0, 0));
    Up();
    EXPECT_EQ(kNone, Codes());
}

TEST_F(BoardCtlTest, AReleaseAfterTheLockEndsThePressWithoutAMove)
{
    Grid(4, 4);
    Down(Centre(1, 1));
    BoardCtlLock();
    Up();
    EXPECT_EQ(kNone, Codes());
    EXPECT_EQ(nullptr, GetCapture());
    EXPECT_TRUE(BoardIsSolved(Model(board)));
    EXPECT_EQ("raised", Look(1, 1));
}

TEST_F(BoardCtlTest, LosingTheCaptureToAnotherWindowEndsThePress)
{
    Grid(4, 4);
    Down(Centre(1, 1));
    SetCapture(host.hwnd());
    wt::PumpMessages();
    EXPECT_EQ("raised", Look(1, 1));
    Up();
    ReleaseCapture();
    wt::PumpMessages();
    EXPECT_EQ(kNone, Codes());  // the release went to the other window
    EXPECT_TRUE(BoardIsSolved(Model(board)));
}

// ---- Games ------------------------------------------------------------------

TEST_F(BoardCtlTest, NewGameRetryAndClearChangeTheCellsSilently)
{
    Grid(5, 5);
    Board* expected = BoardCreate(5, 5);
    BoardScramble(expected, 1, 12345u);
    ASSERT_EQ(1, BoardCtlNewGame(board, 12345u));
    wt::PumpMessages();
    EXPECT_EQ(1, BoardCtlHasGame(board));
    EXPECT_EQ(BoardScramblePresses(expected), BoardCtlGetScramblePresses(board));
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(BoardIsSunk(expected, GridPoint{x, y}) ? "sunk" : "raised", Look(x, y));
    const std::vector<std::string> dealt = Cells();

    Click(Centre(2, 2));
    ASSERT_NE(dealt, Cells());
    EXPECT_EQ(1, BoardCtlRetry(board));
    EXPECT_EQ(dealt, Cells());

    EXPECT_EQ(1, BoardCtlClear(board));
    wt::PumpMessages();
    EXPECT_EQ(0, BoardCtlHasGame(board));
    EXPECT_EQ(0, BoardCtlGetScramblePresses(board));
    EXPECT_EQ("raised", Look(0, 0));
    EXPECT_EQ(kPressed, Codes());  // only the click was reported
    BoardDestroy(expected);
    Grid(4, 4);
    BoardCtlNewGame(board, 1767228748u);  // comes out solved: the next seed's deal instead
    EXPECT_EQ(0, BoardIsSolved(Model(board)));
}

TEST_F(BoardCtlTest, RetryWithoutAGameChangesNothingButRepaints)
{
    Grid(4, 4);
    BoardPress(Model(board), GridPoint{1, 1});
    const std::vector<std::string> before = Cells();
    EXPECT_EQ(1, BoardCtlRetry(board));
    wt::PumpMessages();
    EXPECT_EQ(before, Cells());
    EXPECT_EQ(1, g_paints);
    EXPECT_EQ("sunk", Look(1, 1));
    EXPECT_EQ(kNone, Codes());
}

// ---- The deal's fewest presses -----------------------------------------------

namespace {

// What the solver makes of the cells as they are now.
int FewestForTheCellsShown(const Board* model)
{
    const int columns = BoardColumns(model), rows = BoardRows(model);
    std::vector<unsigned char> sunk, presses(columns * rows);
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < columns; ++x) sunk.push_back(BoardIsSunk(model, GridPoint{x, y}));
    int exact = 0;
    return SolverFewestPresses(columns, rows, sunk.data(), presses.data(), &exact);
}

}  // namespace

TEST_F(BoardCtlTest, ADealKeepsItsFewestPressesUntilTheBoardIsClearedOrReplaced)
{
    EXPECT_EQ(-1, BoardCtlGetFewestPresses(board, nullptr));  // a new control: no game yet
    Grid(4, 4);
    BoardCtlNewGame(board, 4242u);
    const int fewest = FewestForTheCellsShown(Model(board));
    ASSERT_GT(fewest, 0);
    int exact = -1;
    EXPECT_EQ(fewest, BoardCtlGetFewestPresses(board, &exact));
    EXPECT_EQ(1, exact);

    // It belongs to the deal: moves and retries leave it.
    Click(Centre(1, 1));
    EXPECT_EQ(fewest, BoardCtlGetFewestPresses(board, nullptr));
    BoardCtlRetry(board);
    EXPECT_EQ(fewest, BoardCtlGetFewestPresses(board, nullptr));
    BoardCtlNewGame(board, 1u);  // another deal has its own
    const int next = FewestForTheCellsShown(Model(board));
    ASSERT_NE(fewest, next);
    EXPECT_EQ(next, BoardCtlGetFewestPresses(board, nullptr));

    BoardCtlClear(board);
    EXPECT_EQ(-1, BoardCtlGetFewestPresses(board, &exact));
    EXPECT_EQ(0, exact);
    BoardCtlNewGame(board, 4242u);
    ASSERT_EQ(fewest, BoardCtlGetFewestPresses(board, nullptr));
    Grid(5, 5);
    EXPECT_EQ(-1, BoardCtlGetFewestPresses(board, nullptr));
}

// ---- A parent that changes the control while it is being told ---------------

TEST_F(BoardCtlTest, AParentMayReplaceTheBoardWhileAPressIsReported)
{
    Grid(4, 4);
    BoardPress(Model(board), GridPoint{0, 0});  // the old board stays unsolved
    onPressed = [](HWND from) { BoardCtlNewBoard(from, 2, 2); };
    Click(Centre(3, 3));
    // The solved test looks at the board that is there now.
    EXPECT_EQ((std::vector<UINT>{BN_PRESSED, BN_GRIDSIZE, BN_SOLVED}), Codes());
    EXPECT_EQ(38, GetWindowSize(board).x);
}

TEST_F(BoardCtlTest, AParentMayDestroyTheControlWhileAPressIsReported)
{
    Grid(4, 4);
    onPressed = [](HWND from) { DestroyWindow(from); };
    Click(Centre(1, 1));
    EXPECT_FALSE(IsWindow(board));
    EXPECT_EQ(kPressed, Codes());
}

TEST_F(BoardCtlTest, OperationsOnAnotherKindOfWindowFail)
{
    // One window without extra bytes, one that keeps something else in them.
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.cbWndExtra = sizeof(void*);
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "not_a_board";
    RegisterClassA(&wc);
    HWND stranger = CreateWindowExA(0, wc.lpszClassName, "", WS_CHILD, 0, 0, 9, 9, host.hwnd(),
                                    nullptr, wc.hInstance, nullptr);
    int32_t words[16] = {};
    SetWindowLongPtrA(stranger, 0, reinterpret_cast<LONG_PTR>(words));
    GridPoint size;
    CellSize cell;
    for (HWND other : {host.hwnd(), stranger}) {
        EXPECT_EQ(0, BoardCtlGetPreferredSize(other, &size));
        EXPECT_EQ(0, BoardCtlGetCellSize(other, &cell));
        EXPECT_EQ(0, BoardCtlSetCellSize(other, 8, 8));
        EXPECT_EQ(0, BoardCtlNewBoard(other, 4, 4));
        EXPECT_EQ(0, BoardCtlNewGame(other, 1u));
    }
    EXPECT_EQ(kNone, Codes());
    DestroyWindow(stranger);
}

// ---- Lifetime ---------------------------------------------------------------

namespace {

int g_leftBehind = 0;
WNDPROC g_destroyProc = nullptr;

LRESULT CALLBACK CheckStateGoneProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NCDESTROY) {
        g_leftBehind += GetPropA(hwnd, kBoardProp) != nullptr;
        g_leftBehind += GetPropA(hwnd, kCellSizeProp) != nullptr;
    }
    return CallWindowProcA(g_destroyProc, hwnd, msg, wParam, lParam);
}

}  // namespace

TEST_F(BoardCtlTest, PlayingAndDestroyingControlsLeavesNoStateOrHandles)
{
    Grid(4, 4);
    Click(Centre(1, 1));
    Down(Centre(2, 2));
    MoveTo(Centre(3, 3));
    Up();
    notes.reserve(notes.size() + 100);  // the test's records are not the controls' memory
    const wt::HandleCounts before = wt::CountHandles();
    ms::MallocWatch memory;
    for (int i = 0; i < 20; ++i) {
        HWND extra = BoardCtlCreate(host.hwnd(), kId + 1, WS_CHILD | WS_VISIBLE);
        ASSERT_NE(nullptr, extra);
        g_destroyProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(extra, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CheckStateGoneProc)));
        BoardCtlNewBoard(extra, 8, 8);
        BoardCtlNewGame(extra, static_cast<uint32_t>(i));
        UpdateWindow(extra);
        DestroyWindow(extra);
    }
    EXPECT_EQ(0, memory.Live());
    Click(Centre(1, 1));
    wt::PumpMessages();
    EXPECT_EQ(0, g_leftBehind);
    const wt::HandleCounts after = wt::CountHandles();
    EXPECT_EQ(before.gdi, after.gdi);
    EXPECT_EQ(before.user, after.user);
}

TEST_F(BoardCtlTest, HundredsOfClicksRepaintsAndColourChangesKeepTheHandleCountsBalanced)
{
    Grid(4, 4);
    Click(Centre(1, 1));  // the first press of a process may create lasting objects
    Click(Centre(1, 1));
    notes.clear();
    notes.reserve(1000);  // the test's own records must not count as the control's memory
    {
        // The first change of colours in a process makes lasting objects of its own.
        wt::ScopedSysColors first{{COLOR_BTNSHADOW, RGB(1, 0, 0)}};
    }
    const wt::HandleCounts before = wt::CountHandles();
    ms::MallocWatch memory;
    for (int i = 0; i < 40; ++i) {
        // Another colour scheme and back: what the paints keep is remade twice.
        wt::ScopedSysColors scheme{{COLOR_BTNSHADOW, RGB(i, 0, 0)}};
        InvalidateRect(board, nullptr, FALSE);
        UpdateWindow(board);
    }
    MoveTo(Centre(2, 1));
    constexpr int kClicks = 300;
    for (int i = 0; i < kClicks; ++i) {
        wt::SendMouseButton(true);
        wt::SendMouseButton(false);
        if (i % 25 == 24) wt::PumpMessages();
    }
    wt::PumpMessages();
    for (int i = 0; i < 200; ++i) {
        InvalidateRect(board, nullptr, FALSE);
        UpdateWindow(board);
    }
    int presses = 0;
    for (const Note& n : notes) presses += n.code == BN_PRESSED;
    EXPECT_EQ(kClicks, presses);
    // An even number of presses of one cell leaves the board as it was.
    EXPECT_EQ(1, BoardIsSolved(Model(board)));
    const wt::HandleCounts after = wt::CountHandles();
    EXPECT_EQ(before.gdi, after.gdi);
    EXPECT_EQ(before.user, after.user);
    // Whatever the repaints made along the way goes with the control.
    DestroyWindow(board);
    EXPECT_EQ(0, memory.Live());
}
