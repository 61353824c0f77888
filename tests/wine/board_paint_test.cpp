// The board's fast drawing against the plain one: cells copied from tiles
// into a back buffer must give exactly the pixels that drawing every cell
// with the bevel routines gives, for any grid, cell size, colour scheme and
// press; and the largest board the settings allow shows right on screen.
#include <gtest/gtest.h>

#include <cstring>
#include <algorithm>
#include <functional>
#include <optional>
#include <random>
#include <string>

#include "app/window_util.h"
#include "controls/bevel.h"
#include "controls/board_control.h"
#include "controls/board_paint.h"
#include "engine/board.h"
#include "tests/wine/import_seam.h"
#include "tests/wine/malloc_seam.h"
#include "tests/wine/support/wine_test.h"

namespace {

constexpr COLORREF kUnpainted = RGB(255, 0, 255);

// The board as it was drawn before tiles: face, frame, every cell with the
// bevel routines, then the press on top. The yardstick for every other way.
// Only where a grid runs under the frame (a window cut short by the system)
// does the grid now cover the frame, so that a sunk cell there shows no frame
// lines through its face.
void ReferencePaint(HDC dc, const RECT& client, const RECT& grid, GridPoint cell,
                    const Board* board)
{
    FillFace(dc, &client);
    const int saved = SaveDC(dc);
    ExcludeClipRect(dc, grid.left, grid.top, grid.right, grid.bottom);
    DrawSunkenBevel(dc, &client, 3);
    RestoreDC(dc, saved);
    for (int y = 0; y < BoardRows(board); ++y) {
        for (int x = 0; x < BoardColumns(board); ++x) {
            const RECT rect = {grid.left + x * cell.x, grid.top + y * cell.y,
                               grid.left + (x + 1) * cell.x, grid.top + (y + 1) * cell.y};
            if (BoardIsSunk(board, GridPoint{x, y})) {
                DrawSunkenBevel(dc, &rect, 1);
            } else {
                DrawRaisedBevel(dc, &rect, 2);
            }
        }
    }
    GridPoint hot;
    if (BoardGetHot(board, &hot)) {
        const RECT rect = {grid.left + hot.x * cell.x, grid.top + hot.y * cell.y,
                           grid.left + (hot.x + 1) * cell.x, grid.top + (hot.y + 1) * cell.y};
        if (BoardIsPressed(board)) {
            RECT edge = rect;
            DrawEdge(dc, &edge, BoardIsSunk(board, hot) ? EDGE_RAISED : EDGE_SUNKEN, BF_RECT);
        }
        DrawFocusRect(dc, &rect);
    }
}

// Draws `area` (client coordinates) the way a back buffer does: a fresh
// top-down 32-bit DIB, the window origin at the area's corner, its pixels
// on offer. Unpainted pixels stay magenta.
wt::Pixels DrawArea(const RECT& area, const std::function<void(HDC, const PixelView*)>& draw)
{
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    void* bits = nullptr;
    HDC memory = CreateCompatibleDC(nullptr);
    HBITMAP dib = CreateTopDownDib(memory, width, height, &bits);
    HGDIOBJ old = SelectObject(memory, dib);
    const RECT all = {0, 0, width, height};
    HBRUSH brush = CreateSolidBrush(kUnpainted);
    FillRect(memory, &all, brush);
    DeleteObject(brush);
    SetWindowOrgEx(memory, area.left, area.top, nullptr);
    const PixelView view = {static_cast<uint32_t*>(bits), width, area, 0};
    draw(memory, &view);
    SetWindowOrgEx(memory, 0, 0, nullptr);
    wt::Pixels pixels = wt::ReadDcPixels(memory, all);
    SelectObject(memory, old);
    DeleteObject(dib);
    DeleteDC(memory);
    return pixels;
}

// "" when equal, else where and how they first differ.
std::string FirstDifference(const wt::Pixels& want, const wt::Pixels& got, const RECT& area)
{
    if (want.width != got.width || want.height != got.height) return "sizes differ";
    for (int y = 0; y < want.height; ++y)
        for (int x = 0; x < want.width; ++x)
            if (want.At(x, y) != got.At(x, y)) {
                char text[96];
                snprintf(text, sizeof text, "at client (%ld, %ld): want %06lx, got %06lx",
                         x + area.left, y + area.top, want.At(x, y), got.At(x, y));
                return text;
            }
    return "";
}

struct Layout {
    int columns, rows;
    GridPoint cell;
    GridPoint grid;       // the grid's top-left in the client area
    GridPoint clientAdd;  // the client area beyond grid and frame (negative: cut short)
};

// Square and oblong cells from the smallest to the largest size, grids
// from 2 wide to 128, grids centred in spare room and grids cut short by a
// client area too small for them, as a window at the system's limit is.
const Layout kLayouts[] = {
    {3, 2, {16, 16}, {3, 3}, {0, 0}},   {4, 4, {5, 5}, {3, 3}, {0, 0}},
    {16, 16, {40, 40}, {3, 3}, {0, 0}}, {128, 128, {5, 5}, {3, 3}, {0, 0}},
    {5, 3, {256, 256}, {3, 3}, {0, 0}}, {7, 4, {13, 7}, {8, 5}, {11, 5}},
    {2, 9, {8, 21}, {3, 3}, {-9, -30}}, {6, 6, {24, 24}, {3, 3}, {-40, 1}},
    {6, 5, {4, 2}, {3, 3}, {0, 0}},
};

class BoardPaintTest : public testing::Test {
protected:
    void TearDown() override
    {
        CellTilesDestroy(tiles);
        if (board) BoardDestroy(board);
    }

    // The client area, the area to draw in it and the grid of a layout.
    void Prepare(const Layout& layout)
    {
        if (board) BoardDestroy(board);
        board = BoardCreate(layout.columns, layout.rows);
        ASSERT_NE(nullptr, board);
        cell = layout.cell;
        grid = {layout.grid.x, layout.grid.y, layout.grid.x + layout.columns * cell.x,
                layout.grid.y + layout.rows * cell.y};
        client = {0, 0, grid.right + 3 + layout.clientAdd.x, grid.bottom + 3 + layout.clientAdd.y};
    }

    void ExpectSamePixels(const RECT& area, const CellTiles* withTiles, const std::string& what)
    {
        const wt::Pixels want = DrawArea(
            area, [&](HDC dc, const PixelView*) { ReferencePaint(dc, client, grid, cell, board); });
        const wt::Pixels copied = DrawArea(area, [&](HDC dc, const PixelView* pixels) {
            BoardPaint(dc, &client, pixels, &grid, cell, board, withTiles, nullptr);
        });
        const wt::Pixels drawn = DrawArea(area, [&](HDC dc, const PixelView*) {
            BoardPaint(dc, &client, nullptr, &grid, cell, board, withTiles, nullptr);
        });
        EXPECT_EQ("", FirstDifference(want, copied, area)) << what << ", from tiles";
        EXPECT_EQ("", FirstDifference(want, drawn, area)) << what << ", without pixels";
    }

    // Every layout, each with a random board, no press, a press shown pushed
    // and one dragged off its cell, over the whole client area and over a
    // random part of it.
    void CompareEveryLayout(const char* scheme,
                            const std::function<const CellTiles*(size_t layout)>& tilesFor)
    {
        std::mt19937 random(20240601u);
        for (size_t i = 0; i < std::size(kLayouts); ++i) {
            const Layout& layout = kLayouts[i];
            Prepare(layout);
            BoardScramble(board, 1, random());
            const CellTiles* offered = tilesFor(i);
            for (int press = 0; press < 3; ++press) {
                BoardResetHot(board);
                if (press > 0) {
                    const GridPoint hot = {static_cast<int>(random() % layout.columns),
                                           static_cast<int>(random() % layout.rows)};
                    BoardSetHot(board, hot, press == 1);
                }
                const int width = client.right, height = client.bottom;
                const LONG left = random() % width, top = random() % height;
                const RECT part = {left, top,
                                   left + 1 + static_cast<LONG>(random() % (width - left)),
                                   top + 1 + static_cast<LONG>(random() % (height - top))};
                char what[128];
                snprintf(what, sizeof what, "%s, %d x %d cells of %d x %d, press %d", scheme,
                         layout.columns, layout.rows, cell.x, cell.y, press);
                ExpectSamePixels(client, offered, what);
                ExpectSamePixels(part, offered, std::string(what) + ", part");
            }
        }
    }

    // Tiles made for the layout just prepared, in the colours of the moment.
    const CellTiles* FreshTiles()
    {
        CellTilesDestroy(tiles);
        tiles = CellTilesCreate(cell.x, cell.y, kRaisedCellRings, kSunkCellRings);
        EXPECT_NE(nullptr, tiles);
        return tiles;
    }

    Board* board = nullptr;
    CellTiles* tiles = nullptr;
    GridPoint cell = {0, 0};
    RECT grid = {};
    RECT client = {};
};

}  // namespace

TEST_F(BoardPaintTest, CopiedCellsMatchDrawnCellsInEveryLayoutSchemeAndPress)
{
    CompareEveryLayout("default colours", [this](size_t) { return FreshTiles(); });
    wt::ScopedSysColors scheme{{COLOR_BTNHIGHLIGHT, RGB(240, 250, 200)},
                               {COLOR_BTNSHADOW, RGB(100, 60, 20)},
                               {COLOR_3DDKSHADOW, RGB(10, 20, 90)},
                               {COLOR_3DLIGHT, RGB(200, 130, 250)}};
    CompareEveryLayout("distinct colours", [this](size_t) { return FreshTiles(); });
    // Black edges: rings whose rows repeat, unlike rings of two colours.
    wt::ScopedSysColors black{{COLOR_BTNHIGHLIGHT, RGB(0, 0, 0)}, {COLOR_BTNSHADOW, RGB(0, 0, 0)}};
    CompareEveryLayout("black edges", [this](size_t) { return FreshTiles(); });
}

TEST_F(BoardPaintTest, TilesOfAnEarlierSchemeAreNotUsed)
{
    // Made in one scheme, offered in another: the edges must follow the
    // scheme of the moment, as drawn cells do.
    CellTiles* earlier[std::size(kLayouts)] = {};
    for (size_t i = 0; i < std::size(kLayouts); ++i) {
        const GridPoint size = kLayouts[i].cell;
        earlier[i] = CellTilesCreate(size.x, size.y, kRaisedCellRings, kSunkCellRings);
        EXPECT_TRUE(CellTilesFit(earlier[i], size.x, size.y)) << size.x << " x " << size.y;
    }
    // Either edge colour alone makes them stale.
    for (int edge : {COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW}) {
        wt::ScopedSysColors scheme{{edge, RGB(10, 200, 30)}};
        CompareEveryLayout(edge == COLOR_BTNSHADOW ? "stale shadows" : "stale highlights",
                           [&](size_t layout) { return earlier[layout]; });
    }
    for (CellTiles* t : earlier) CellTilesDestroy(t);

    // Tiles up to 4096 pixels a side are made; longer ones would cost more than bevels.
    CellTiles* longest = CellTilesCreate(4096, 1, kRaisedCellRings, kSunkCellRings);
    EXPECT_NE(nullptr, longest);
    CellTilesDestroy(longest);
    EXPECT_EQ(nullptr, CellTilesCreate(4097, 1, kRaisedCellRings, kSunkCellRings));
    // The plain middle of a cell repeats the row above in both tiles; a ring does not.
    CellTiles* tiles = CellTilesCreate(16, 16, kRaisedCellRings, kSunkCellRings);
    EXPECT_EQ(1, CellTilesRowRepeats(tiles, 8));
    EXPECT_EQ(0, CellTilesRowRepeats(tiles, 2));
    CellTilesDestroy(tiles);
}

// ---- The largest board on screen --------------------------------------------

// A 128 x 128 board of 256-pixel cells is larger than any window: the control
// takes the largest size the system allows and shows the grid from its
// top-left frame, wherever the visible part of it lies.
TEST(BoardCtlLargest, TheVisiblePartOfAWindowBeyondTheSystemLimitIsRight)
{
    wt::TestWindow host(500, 360);
    BoardCtlRegister(GetModuleHandleA(nullptr));
    HWND control = BoardCtlCreate(host.hwnd(), 79, WS_CHILD | WS_VISIBLE);
    ASSERT_NE(nullptr, control);
    BoardCtlSetCellSize(control, 256, 256);
    BoardCtlNewBoard(control, 128, 128);
    BoardCtlNewGame(control, 77u);
    GridPoint preferred;
    ASSERT_EQ(1, BoardCtlGetPreferredSize(control, &preferred));
    EXPECT_EQ(32767, preferred.x);
    EXPECT_EQ(32767, preferred.y);
    const GridPoint size = GetClientSize(control);
    const RECT client = {0, 0, size.x, size.y};
    const RECT grid = {3, 3, 3 + 128 * 256, 3 + 128 * 256};
    const Board* model = static_cast<const Board*>(GetPropA(control, kBoardProp));

    // At the host's corner, then far up and left, so that the middle of the
    // grid shows, starting within a cell.
    const POINT places[] = {{10, 10}, {-2597, -3845}};
    for (const POINT& at : places) {
        SetWindowPosition(control, at.x, at.y);
        RequestRepaint(control);
        UpdateWindow(control);
        // The part of the control inside the host's client area, in the
        // control's client coordinates.
        RECT hostClient;
        GetClientRect(host.hwnd(), &hostClient);
        MapWindowPoints(host.hwnd(), control, reinterpret_cast<POINT*>(&hostClient), 2);
        RECT shown;
        ASSERT_TRUE(IntersectRect(&shown, &hostClient, &client));
        HDC dc = GetDC(control);
        const wt::Pixels got = wt::ReadDcPixels(dc, shown);
        ReleaseDC(control, dc);
        const wt::Pixels want = DrawArea(shown, [&](HDC memory, const PixelView*) {
            ReferencePaint(memory, client, grid, GridPoint{256, 256}, model);
        });
        EXPECT_EQ("", FirstDifference(want, got, shown)) << "control at " << at.x << ", " << at.y;
    }
    DestroyWindow(control);
}

// ---- Repaints that redraw only what changed ---------------------------------

namespace {

// The control remembers what its kept buffer holds and redraws only what
// changed since. After any sequence of presses, pushes, colour schemes,
// sizes and partial repaints, every repainted pixel must be what a whole
// paint the old way gives.
class BoardRepaintSequence : public testing::Test {
protected:
    void SetUp() override
    {
        BoardCtlRegister(GetModuleHandleA(nullptr));
        control = BoardCtlCreate(host.hwnd(), 80, WS_CHILD | WS_VISIBLE);
        ASSERT_NE(nullptr, control);
        SetWindowPosition(control, 4, 4);
    }
    void TearDown() override { DestroyWindow(control); }

    Board* Model() const { return static_cast<Board*>(GetPropA(control, kBoardProp)); }

    // Repaints `part` of the client area (all of it when null) and compares
    // it with the reference.
    void RepaintAndCompare(const RECT* part, const std::string& what)
    {
        InvalidateRect(control, part, FALSE);
        UpdateWindow(control);
        const GridPoint size = GetClientSize(control);
        const RECT client = {0, 0, size.x, size.y};
        RECT area = client;
        if (part) IntersectRect(&area, part, &client);
        CellSize cell;
        GridPoint grid;
        BoardCtlGetCellSize(control, &cell);
        BoardCtlGetGridSize(control, &grid);
        // Centred when grid and frame fit, else just inside the frame.
        auto start = [](LONG length, int cells) {
            return length < cells + 6 ? 3L : length / 2 - cells / 2;
        };
        const LONG left = start(size.x, grid.x * cell.width);
        const LONG top = start(size.y, grid.y * cell.height);
        const RECT gridRect = {left, top, left + grid.x * cell.width, top + grid.y * cell.height};
        HDC dc = GetDC(control);
        const wt::Pixels got = wt::ReadDcPixels(dc, area);
        ReleaseDC(control, dc);
        const wt::Pixels want = DrawArea(area, [&](HDC memory, const PixelView*) {
            ReferencePaint(memory, client, gridRect, GridPoint{cell.width, cell.height}, Model());
        });
        EXPECT_EQ("", FirstDifference(want, got, area)) << what;
    }

    wt::TestWindow host{560, 420};
    HWND control = nullptr;
};

}  // namespace

TEST_F(BoardRepaintSequence, EveryRepaintAfterAnyChangeShowsWhatAWholePaintShows)
{
    ms::Fence fence;  // reading past a board's or a record's end faults
    // First a paint without the kept buffer, which the next must not trust;
    // a kept buffer wide enough but too short; the frame alone, off the grid.
    {
        ms::MallocWatch watch(1);  // the kept buffer
        InvalidateRect(control, nullptr, FALSE);
        UpdateWindow(control);
        ASSERT_TRUE(watch.Failed());
    }
    RepaintAndCompare(nullptr, "after a paint without the kept buffer");
    for (const GridPoint size : {GridPoint{300, 60}, GridPoint{100, 200}}) {
        SetWindowSize(control, size.x, size.y);
        RepaintAndCompare(nullptr, "grown");
    }
    const RECT frame = {0, 0, 2, 2};
    RepaintAndCompare(&frame, "the frame alone");
    // Without memory for tiles the cells are drawn one by one, and sunk ones in
    // a grid two pixels into the frame show no frame line through their face.
    BoardCtlNewBoard(control, 4, 4);
    BoardCtlSetCellSize(control, 15, 15);
    BoardPress(Model(), GridPoint{1, 3});
    SetWindowSize(control, 66, 64);
    ValidateRect(control, nullptr);
    {
        ms::MallocWatch noTiles(1);
        RepaintAndCompare(nullptr, "no tiles");  // a short text: no allocation of its own
        EXPECT_TRUE(noTiles.Failed());
    }
    // After a whole paint a press repaints only its cells, on oblong cells and
    // an oblong grid too, in each new bitmap of a growing kept buffer: no tiles
    // remade (an allocation), no bevel (a SaveDC).
    BoardCtlNewBoard(control, 7, 5);
    BoardCtlSetCellSize(control, 13, 7);
    for (int grown = 1; grown <= 3; ++grown) {
        SetWindowSize(control, 300 + 10 * grown, 200 + 10 * grown);
        RepaintAndCompare(nullptr, "oblong");
        BoardPress(Model(), GridPoint{2, 3});
        ms::MallocWatch allocations;
        is::Failing saves(is::Call::SaveDC);
        InvalidateRect(control, nullptr, FALSE);
        UpdateWindow(control);
        EXPECT_EQ(0, allocations.Calls()) << grown;
        EXPECT_EQ(0, saves.Calls()) << grown;
    }
    RepaintAndCompare(nullptr, "a press on oblong cells");
    // Each allocation of a whole paint failing in turn (the tiles' record and
    // rows, the record of sunk cells), then a smaller board: the next paint is right.
    SetWindowSize(control, 500, 400);
    for (int n = 1, failed = 1; failed; ++n) {
        BoardCtlNewBoard(control, 30, 20 + n);         // more cells than any board before
        BoardCtlSetCellSize(control, 10 + n, 10 + n);  // and new tiles
        {
            ms::MallocWatch watch(n);
            InvalidateRect(control, nullptr, FALSE);
            UpdateWindow(control);
            failed = watch.Failed();
        }
        BoardCtlNewBoard(control, 4, 4);
        BoardPress(Model(), GridPoint{1, 3});
        RepaintAndCompare(nullptr, "back after a failed allocation");
    }
    std::mt19937 random(7031u);
    auto below = [&](int n) { return static_cast<int>(random() % n); };
    std::optional<wt::ScopedSysColors> scheme;
    const GridPoint grids[] = {{7, 5}, {16, 16}, {3, 9}};
    const GridPoint cells[] = {{24, 24}, {13, 7}, {5, 5}};
    // One part comes back often, so that partial repaints follow each other.
    const RECT steadyPart = {5, 7, 61, 40};
    for (int step = 0; step < 120; ++step) {
        Board* model = Model();
        GridPoint grid;
        BoardCtlGetGridSize(control, &grid);
        const GridPoint somewhere = {below(grid.x), below(grid.y)};
        const int action = below(10);
        const char* names[] = {"press",  "press",     "push", "push off", "release",
                               "scheme", "cell size", "grid", "resize",   "nothing"};
        switch (action) {
        case 0:
        case 1: BoardPress(model, somewhere); break;
        case 2: BoardSetHot(model, somewhere, 1); break;
        case 3: BoardSetHot(model, somewhere, 0); break;
        case 4: BoardResetHot(model); break;
        case 5:
            if (scheme) {
                scheme.reset();
            } else {
                scheme.emplace(std::initializer_list<std::pair<int, COLORREF>>{
                    {COLOR_BTNHIGHLIGHT, RGB(240, 250, 200)}, {COLOR_BTNSHADOW, RGB(100, 60, 20)}});
            }
            break;
        case 6: {
            const GridPoint size = cells[below(3)];
            BoardCtlSetCellSize(control, size.x, size.y);
            break;
        }
        case 7: {
            const GridPoint size = grids[below(3)];
            BoardCtlNewBoard(control, size.x, size.y);
            BoardCtlNewGame(control, random());
            break;
        }
        case 8: {
            // Larger than the grid needs (centred) or smaller (cut short).
            const GridPoint size = GetClientSize(control);
            SetWindowSize(control, std::max(8, size.x + below(61) - 30),
                          std::max(8, size.y + below(61) - 30));
            break;
        }
        default: break;
        }
        const int which = below(3);
        const LONG x = below(150), y = below(150);
        const RECT randomPart = {x, y, x + 1 + below(200), y + 1 + below(200)};
        const RECT* part = which == 0 ? nullptr : which == 1 ? &steadyPart : &randomPart;
        char what[96];
        snprintf(what, sizeof what, "step %d (%s), %s", step, names[action],
                 which == 0   ? "whole"
                 : which == 1 ? "steady part"
                              : "random part");
        RepaintAndCompare(part, what);
        if (HasFailure()) return;
    }
}
