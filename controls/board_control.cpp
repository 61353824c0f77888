#include "controls/board_control.h"

#include <algorithm>
#include <cstdlib>

#include "app/window_util.h"
#include "controls/back_buffer.h"
#include "controls/board_paint.h"
#include "controls/cell_tiles.h"
#include "controls/rect_math.h"
#include "engine/board.h"
#include "engine/solver.h"

namespace {

constexpr char kClassName[] = "board";
constexpr char kBoardProp[] = "PROP_BOARD";
constexpr char kCellSizeProp[] = "PROP_APPINFO";

// The fewest presses that solve the puzzle as dealt, worked out once per deal
// so that a win never waits for it.
struct FewestPresses {
    int32_t count = -1;  // not known (no game, or no memory to work it out)
    int32_t exact = 0;   // 0 when count is only the best found
};

// The control's own record, in the window's extra bytes: under Wine every
// GetPropA is a round trip to the server (12 to 50 us here), and a repaint
// during a drag spent more on five of them than on drawing. The board and
// the cell size are published as properties too, for whoever inspects a
// control by name, and the board's property tells a board control from any
// other window; the control reads its state here.
struct Control {
    Board* board;
    CellSize* cell;
    // Made at the first paint (the tiles remade when the cell size or the
    // colours change), freed with the control: a press repaints at every
    // mouse move, and with what the kept buffer holds noted down, a repaint
    // draws only what changed.
    CellTiles* tiles;
    BackBuffer* buffer;
    BoardDrawn* drawn;
    FewestPresses fewest;
};

// No CS_DBLCLKS: the second click of a quick pair must arrive as an ordinary
// button-down, because it is a second move.
constexpr UINT kClassStyle = CS_BYTEALIGNCLIENT;

constexpr int kFrameSpace = 2 * kBoardFrameRings;  // both sides of the grid together

// The system makes no window larger than this (Wine cuts it down silently),
// so the preferred size asks for no more.
constexpr int kMaxWindowExtent = 32767;

// What a new control shows until its parent gives it the real board and size.
constexpr int kInitialColumns = 3;
constexpr int kInitialRows = 2;
constexpr CellSize kInitialCellSize = {16, 16};

// One scramble pass per new game: more passes would not make a harder puzzle.
constexpr int kScramblePasses = 1;

// Shared by every board of the process: no game runs until the first Start.
int g_inputLocked = 1;

// ---- State ------------------------------------------------------------------

constexpr int kRecordOffset = 0;  // of the extra bytes

// Only for a window known to be a board control: the handlers of its own
// window procedure, which no other window reaches.
Control* OwnControl(HWND window)
{
    return reinterpret_cast<Control*>(GetWindowLongPtrA(window, kRecordOffset));
}

// For any window: null unless it is a board control with its state.
Control* GetControl(HWND window)
{
    return GetPropA(window, kBoardProp) ? OwnControl(window) : nullptr;
}

Board* GetBoard(HWND window)
{
    const Control* control = GetControl(window);
    return control ? control->board : nullptr;
}

CellSize* GetCellSize(HWND window)
{
    const Control* control = GetControl(window);
    return control ? control->cell : nullptr;
}

// The same for the handlers of the control's own window procedure, without
// the property look-up: every mouse move of a press comes this way, and under
// Wine each look-up is a round trip to the server.
Board* OwnBoard(HWND window)
{
    const Control* control = OwnControl(window);
    return control ? control->board : nullptr;
}

const CellSize* OwnCellSize(HWND window)
{
    const Control* control = OwnControl(window);
    return control ? control->cell : nullptr;
}

void ForgetFewest(Control* control)
{
    control->fewest = FewestPresses{};
}

// Reads the deal off the snapshot and keeps its fewest presses; without the
// memory to do so the count stays unknown.
void SolveDeal(Control* control)
{
    ForgetFewest(control);
    const Board* board = control->board;
    const size_t cells = static_cast<size_t>(BoardColumns(board)) * static_cast<size_t>(BoardRows(board));
    unsigned char* deal = static_cast<unsigned char*>(malloc(2 * cells));  // the deal, then the presses
    if (!deal) {
        return;
    }
    BoardGetDeal(board, deal);
    int exact = 0;
    control->fewest.count =
        SolverFewestPresses(BoardColumns(board), BoardRows(board), deal, deal + cells, &exact);
    control->fewest.exact = exact;
    free(deal);
}

// ---- Geometry ---------------------------------------------------------------

GridPoint BoardPixelSize(const Board* board, const CellSize* cell)
{
    return GridPoint{BoardColumns(board) * cell->width, BoardRows(board) * cell->height};
}

// Where the grid starts along one side of the client area: centred, which
// puts it inside the frame at the preferred size; when the client area is
// too short for grid and frame (a grid larger than any window), just inside
// the frame, so the grid and the frame show from their true beginning.
LONG GridStart(LONG clientStart, LONG clientEnd, int gridLength)
{
    if (clientEnd - clientStart < gridLength + kFrameSpace) {
        return clientStart + kBoardFrameRings;
    }
    return (clientStart + clientEnd) / 2 - gridLength / 2;
}

RECT GridRect(HWND window, const Board* board, const CellSize* cell)
{
    RECT client = {0, 0, 0, 0};
    GetClientRect(window, &client);
    const GridPoint size = BoardPixelSize(board, cell);
    const GridPoint origin = {GridStart(client.left, client.right, size.x),
                              GridStart(client.top, client.bottom, size.y)};
    return RectFromOriginSize(origin, size);
}

// The cell under the cursor where it is now, not where the message says it
// was, so that button-down, moves and button-up all judge the same point.
int HitTest(HWND window, const Board* board, const CellSize* cell, GridPoint* at)
{
    POINT point;
    if (!GetClientCursorPos(window, &point)) {
        return 0;
    }
    if (cell->width <= 0 || cell->height <= 0) {
        return 0;  // a degenerate cell size has no cells to hit
    }
    const RECT grid = GridRect(window, board, cell);
    if (!PtInRect(&grid, point)) {
        return 0;
    }
    GridPointSet(at, (point.x - grid.left) / cell->width, (point.y - grid.top) / cell->height);
    return 1;
}

int ResizeToPreferred(HWND window)
{
    GridPoint size;
    if (!BoardCtlGetPreferredSize(window, &size)) {
        return 0;
    }
    return SetWindowSize(window, size.x, size.y) ? 1 : 0;
}

// ---- Drawing ----------------------------------------------------------------

// The tiles for the current cell size and system colours, remade when either
// changed; null when they cannot be made (the cells are then drawn with the
// bevel routines).
const CellTiles* FreshTiles(Control* control)
{
    const CellSize* cell = control->cell;
    if (CellTilesFit(control->tiles, cell->width, cell->height)) {
        return control->tiles;
    }
    CellTilesDestroy(control->tiles);  // made for another size or other colours
    control->tiles = CellTilesCreate(cell->width, cell->height, kRaisedCellRings, kSunkCellRings);
    return control->tiles;
}

// The record of what the kept buffer holds; null when it cannot be made,
// and every paint then draws everything.
BoardDrawn* DrawnRecord(Control* control)
{
    if (!control->drawn) {
        control->drawn = BoardDrawnCreate();
    }
    return control->drawn;
}

void DrawBoard(HWND window, HDC dc, const RECT* client, const PixelView* pixels)
{
    Control* control = OwnControl(window);
    if (!control || !control->board || !control->cell) {
        BoardPaint(dc, client, pixels, client, GridPoint{0, 0}, nullptr, nullptr,
                   control ? control->drawn : nullptr);  // face, frame
        return;
    }
    const CellSize* cell = control->cell;
    const RECT grid = GridRect(window, control->board, cell);
    BoardPaint(dc, client, pixels, &grid, GridPoint{cell->width, cell->height}, control->board,
               FreshTiles(control), DrawnRecord(control));
}

// ---- Message handlers -------------------------------------------------------

// Frees whatever the properties hold; safe on a half-built control.
void FreeState(HWND window)
{
    RemovePropA(window, kCellSizeProp);
    RemovePropA(window, kBoardProp);
    Control* control = OwnControl(window);
    if (!control) {
        return;
    }
    SetWindowLongPtrA(window, kRecordOffset, 0);
    BoardDrawnDestroy(control->drawn);
    BackBufferDestroy(control->buffer);
    CellTilesDestroy(control->tiles);
    free(control->cell);
    if (control->board) {
        BoardDestroy(control->board);
    }
    free(control);
}

// Without memory for any part of its state, CreateWindowExA fails rather
// than giving a control without state.
LRESULT OnCreate(HWND window)
{
    auto* control = static_cast<Control*>(malloc(sizeof(Control)));
    if (!control) {
        return -1;
    }
    *control = Control{};
    SetWindowLongPtrA(window, kRecordOffset, reinterpret_cast<LONG_PTR>(control));
    control->board = BoardCreate(kInitialColumns, kInitialRows);
    control->cell = static_cast<CellSize*>(malloc(sizeof(CellSize)));
    if (!control->board || !control->cell || !SetPropA(window, kBoardProp, control->board) ||
        !SetPropA(window, kCellSizeProp, control->cell)) {
        FreeState(window);
        return -1;
    }
    *control->cell = kInitialCellSize;
    ResizeToPreferred(window);
    return 0;
}

LRESULT OnDestroy(HWND window)
{
    FreeState(window);
    return 0;
}

// The kept back buffer; null when it cannot be made, and the paint then
// makes a buffer of its own.
BackBuffer* KeptBuffer(Control* control)
{
    if (control && !control->buffer) {
        control->buffer = BackBufferCreate();
    }
    return control ? control->buffer : nullptr;
}

LRESULT OnPaint(HWND window)
{
    return PaintWithKeptBuffer(window, KeptBuffer(OwnControl(window)), DrawBoard);
}

LRESULT OnLButtonDown(HWND window)
{
    if (g_inputLocked) {
        return 0;
    }
    Board* board = OwnBoard(window);
    const CellSize* cell = OwnCellSize(window);
    GridPoint at;
    if (!board || !cell || !HitTest(window, board, cell, &at)) {
        return 0;
    }
    SetCapture(window);
    BoardSetHot(board, at, 1);
    RequestRepaint(window);
    return 0;
}

LRESULT OnMouseMove(HWND window, WPARAM keys)
{
    if (g_inputLocked || !(keys & MK_LBUTTON)) {
        return 0;
    }
    Board* board = OwnBoard(window);
    const CellSize* cell = OwnCellSize(window);
    GridPoint hot;
    if (!board || !cell || !BoardGetHot(board, &hot)) {
        return 0;
    }
    // Off the grid the pushed look stays as it was: only a cell decides it.
    GridPoint at;
    if (HitTest(window, board, cell, &at)) {
        BoardSetHot(board, hot, GridPointEqual(&at, &hot));
    }
    RequestRepaint(window);
    return 0;
}

LRESULT OnLButtonUp(HWND window)
{
    if (!g_inputLocked) {
        Board* board = OwnBoard(window);
        const CellSize* cell = OwnCellSize(window);
        GridPoint at;
        GridPoint hot;
        if (board && cell && HitTest(window, board, cell, &at) && BoardGetHot(board, &hot) &&
            GridPointEqual(&at, &hot)) {
            BoardPress(board, at);
            RequestRepaint(window);
            SendBoardNotify(window, BN_PRESSED);
        }
    }
    // Also while locked, so that a press begun before the lock ends cleanly.
    ReleaseCapture();
    // The parent's handler may have replaced the board or destroyed the
    // control, and may have locked the input: read everything afresh.
    const Board* board = OwnBoard(window);
    if (!g_inputLocked && board && BoardIsSolved(board)) {
        SendBoardNotify(window, BN_SOLVED);
    }
    return 0;
}

LRESULT OnCaptureChanged(HWND window, HWND gaining)
{
    if (gaining == window) {
        return 0;
    }
    if (Board* board = OwnBoard(window)) {
        BoardResetHot(board);
    }
    RequestRepaint(window);
    return 0;
}

LRESULT CALLBACK BoardCtlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        return OnCreate(window);
    case WM_DESTROY:
        return OnDestroy(window);
    case WM_PAINT:
        return OnPaint(window);
    case WM_LBUTTONDOWN:
        return OnLButtonDown(window);
    case WM_MOUSEMOVE:
        return OnMouseMove(window, wParam);
    case WM_LBUTTONUP:
        return OnLButtonUp(window);
    case WM_CAPTURECHANGED:
        return OnCaptureChanged(window, reinterpret_cast<HWND>(lParam));
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

} // namespace

// ---- Class and window -------------------------------------------------------

int BoardCtlRegister(HINSTANCE instance)
{
    RegisterWindowClass(instance, kClassName, BoardCtlProc, kClassStyle, 0, WHITE_BRUSH,
                        sizeof(Control*));
    return 1;
}

HWND BoardCtlCreate(HWND parent, int id, DWORD style)
{
    return CreateChildControl(kClassName, parent, id, style);
}

// ---- Geometry and state, read -----------------------------------------------

int BoardCtlGetPreferredSize(HWND window, GridPoint* size)
{
    const Board* board = GetBoard(window);
    const CellSize* cell = GetCellSize(window);
    if (!board || !cell || !size) {
        return 0;
    }
    const GridPoint pixels = BoardPixelSize(board, cell);
    GridPointSet(size, std::min(pixels.x + kFrameSpace, kMaxWindowExtent),
                 std::min(pixels.y + kFrameSpace, kMaxWindowExtent));
    return 1;
}

int BoardCtlGetCellSize(HWND window, CellSize* size)
{
    const CellSize* cell = GetCellSize(window);
    if (!cell || !size) {
        return 0;
    }
    *size = *cell;
    return 1;
}

int BoardCtlGetGridSize(HWND window, GridPoint* size)
{
    const Board* board = GetBoard(window);
    if (!board || !size) {
        return 0;
    }
    GridPointSet(size, BoardColumns(board), BoardRows(board));
    return 1;
}

int BoardCtlGetScramblePresses(HWND window)
{
    const Board* board = GetBoard(window);
    return board ? BoardScramblePresses(board) : 0;
}

int BoardCtlHasGame(HWND window)
{
    const Board* board = GetBoard(window);
    return board ? BoardHasGame(board) : 0;
}

int BoardCtlGetFewestPresses(HWND window, int* exact)
{
    const Control* control = GetControl(window);
    if (exact) {
        *exact = control ? control->fewest.exact : 0;
    }
    return control ? control->fewest.count : -1;
}

// ---- Changes ----------------------------------------------------------------

int BoardCtlSetCellSize(HWND window, int width, int height)
{
    CellSize* cell = GetCellSize(window);
    if (!cell) {
        return 0;
    }
    cell->width = width;
    cell->height = height;
    ResizeToPreferred(window);
    SendBoardNotify(window, BN_CELLSIZE);
    RequestRepaint(window);
    return 1;
}

int BoardCtlNewBoard(HWND window, int columns, int rows)
{
    Control* control = GetControl(window);
    if (!control || !control->board) {
        return 0;
    }
    Board* board = BoardCreate(columns, rows);
    if (!board) {
        return 0;  // the old board and the control's size stay as they were
    }
    if (!SetPropA(window, kBoardProp, board)) {
        BoardDestroy(board);
        return 0;
    }
    BoardDestroy(control->board);
    control->board = board;
    ForgetFewest(control);
    ResizeToPreferred(window);
    SendBoardNotify(window, BN_GRIDSIZE);
    RequestRepaint(window);
    return 1;
}

int BoardCtlClear(HWND window)
{
    Control* control = GetControl(window);
    if (!control || !control->board) {
        return 0;
    }
    BoardClear(control->board);
    ForgetFewest(control);
    RequestRepaint(window);
    return 1;
}

int BoardCtlRetry(HWND window)
{
    Board* board = GetBoard(window);
    if (!board) {
        return 0;
    }
    BoardRestore(board);  // nothing to restore without a game, and that is fine
    RequestRepaint(window);
    return 1;
}

int BoardCtlNewGame(HWND window, uint32_t seed)
{
    Control* control = GetControl(window);
    if (!control || !control->board) {
        return 0;
    }
    BoardScramble(control->board, kScramblePasses, seed);
    SolveDeal(control);
    RequestRepaint(window);
    return 1;
}

// ---- Input lock -------------------------------------------------------------

int BoardCtlLock()
{
    g_inputLocked = 1;
    return 1;
}

int BoardCtlUnlock()
{
    g_inputLocked = 0;
    return 1;
}
