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

// The fewest presses that solve the puzzle as dealt, worked out the first
// time they are asked for and kept until the next deal: a Start never waits
// for them, and a Retry or a second win of the same deal does not ask again.
// Without a game (a new board, a cleared one) nobody is told them.
struct FewestPresses {
    int32_t count = -1;  // not worked out yet (or there was no memory to do it)
    int32_t exact = 0;   // 0 when count is only the best found
};

// The control's whole state, in the window's extra bytes and nowhere else:
// under Wine every GetPropA is a round trip to the server (12 to 50 us here),
// and a repaint during a drag spent more on a few of them than on drawing.
struct Control {
    Board* board;  // never null while the record exists
    CellSize cell;
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

LRESULT CALLBACK BoardCtlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The one way to a control's record, for its own handlers and for every
// operation alike: null for a window of any other class (whose extra bytes
// mean something else or nothing), and for a control before its WM_CREATE
// or after its WM_DESTROY. The class's procedure, not the window's, tells a
// board: whoever subclasses a control changes only the latter.
Control* ControlOf(HWND window)
{
    if (GetClassLongPtrA(window, GCLP_WNDPROC) != reinterpret_cast<ULONG_PTR>(BoardCtlProc)) {
        return nullptr;
    }
    return reinterpret_cast<Control*>(GetWindowLongPtrA(window, kRecordOffset));
}

// The board and the cell size are also named as window properties, for
// whoever inspects a control from outside; they are set and removed here
// alone, and the control itself never reads them. A null record removes
// them. 0 when a property cannot be set.
int PublishState(HWND window, Control* control)
{
    if (!control) {
        RemovePropA(window, kCellSizeProp);
        RemovePropA(window, kBoardProp);
        return 1;
    }
    return SetPropA(window, kBoardProp, control->board) &&
                   SetPropA(window, kCellSizeProp, &control->cell)
               ? 1
               : 0;
}

// Works the deal out from the snapshot kept for Retry. Without the memory to
// do so the count stays unknown, and the next question tries again.
void SolveDeal(Control* control)
{
    const Board* board = control->board;
    const int columns = BoardColumns(board);
    const int rows = BoardRows(board);
    const size_t cells = static_cast<size_t>(columns) * static_cast<size_t>(rows);
    // The deal, then the presses.
    unsigned char* deal = static_cast<unsigned char*>(malloc(2 * cells));
    if (!deal) {
        return;
    }
    BoardGetDeal(board, deal);
    int exact = 0;
    const int count = SolverFewestPresses(columns, rows, deal, deal + cells, &exact);
    free(deal);
    // Every deal is made of presses, so -1 only means the solver ran out of memory.
    if (count >= 0) {
        control->fewest.count = count;
        control->fewest.exact = exact;
    }
}

// ---- Geometry ---------------------------------------------------------------

GridPoint BoardPixelSize(const Control* control)
{
    return GridPoint{BoardColumns(control->board) * control->cell.width,
                     BoardRows(control->board) * control->cell.height};
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

RECT GridRect(HWND window, const Control* control)
{
    RECT client = {0, 0, 0, 0};
    GetClientRect(window, &client);
    const GridPoint size = BoardPixelSize(control);
    const GridPoint origin = {GridStart(client.left, client.right, size.x),
                              GridStart(client.top, client.bottom, size.y)};
    return RectFromOriginSize(origin, size);
}

// The point a mouse message carries, in client coordinates: where the pointer
// was when the button went down, moved or came up. A busy game handles a
// click a while after it was made, and by then the pointer may be over
// another cell. Signed 16-bit values: under capture a point left of or above
// the control is negative.
POINT MessagePoint(LPARAM lParam)
{
    return POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

// The cell at a client point; 0 for the frame, the spare area and anywhere
// outside the control.
int HitTest(HWND window, const Control* control, POINT point, GridPoint* at)
{
    const CellSize cell = control->cell;
    if (cell.width <= 0 || cell.height <= 0) {
        return 0;  // a degenerate cell size has no cells to hit
    }
    const RECT grid = GridRect(window, control);
    if (!PtInRect(&grid, point)) {
        return 0;
    }
    GridPointSet(at, (point.x - grid.left) / cell.width, (point.y - grid.top) / cell.height);
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
    const CellSize cell = control->cell;
    if (CellTilesFit(control->tiles, cell.width, cell.height)) {
        return control->tiles;
    }
    CellTilesDestroy(control->tiles);  // made for another size or other colours
    control->tiles = CellTilesCreate(cell.width, cell.height, kRaisedCellRings, kSunkCellRings);
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

// Reached only from OnPaint, which has made sure the record is there.
void DrawBoard(HWND window, HDC dc, const RECT* client, const PixelView* pixels)
{
    Control* control = ControlOf(window);
    const RECT grid = GridRect(window, control);
    BoardPaint(dc, client, pixels, &grid, GridPoint{control->cell.width, control->cell.height},
               control->board, FreshTiles(control), DrawnRecord(control));
}

// Applies `change` to the control's board and repaints; 0 for a window that
// is not a board control.
int ChangeBoard(HWND window, int (*change)(Board* board))
{
    Control* control = ControlOf(window);
    if (!control) {
        return 0;
    }
    change(control->board);
    RequestRepaint(window);
    return 1;
}

// ---- Message handlers -------------------------------------------------------

// Frees the record and all it holds; safe on a half-built control.
void FreeState(HWND window)
{
    PublishState(window, nullptr);
    Control* control = ControlOf(window);
    if (!control) {
        return;
    }
    SetWindowLongPtrA(window, kRecordOffset, 0);
    BoardDrawnDestroy(control->drawn);
    BackBufferDestroy(control->buffer);
    CellTilesDestroy(control->tiles);
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
    control->cell = kInitialCellSize;
    SetWindowLongPtrA(window, kRecordOffset, reinterpret_cast<LONG_PTR>(control));
    control->board = BoardCreate(kInitialColumns, kInitialRows);
    if (!control->board || !PublishState(window, control)) {
        FreeState(window);
        return -1;
    }
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
    if (!control->buffer) {
        control->buffer = BackBufferCreate();
    }
    return control->buffer;
}

LRESULT OnPaint(HWND window)
{
    Control* control = ControlOf(window);
    if (!control) {
        // Nothing to show: only end the paint, so that it does not repeat.
        return DefWindowProcA(window, WM_PAINT, 0, 0);
    }
    return PaintWithKeptBuffer(window, KeptBuffer(control), DrawBoard);
}

LRESULT OnLButtonDown(HWND window, POINT point)
{
    if (g_inputLocked) {
        return 0;
    }
    Control* control = ControlOf(window);
    GridPoint at;
    if (!control || !HitTest(window, control, point, &at)) {
        return 0;
    }
    SetCapture(window);
    BoardSetHot(control->board, at, 1);
    RequestRepaint(window);
    return 0;
}

LRESULT OnMouseMove(HWND window, WPARAM keys, POINT point)
{
    if (g_inputLocked || !(keys & MK_LBUTTON)) {
        return 0;
    }
    Control* control = ControlOf(window);
    GridPoint hot;
    if (!control || !BoardGetHot(control->board, &hot)) {
        return 0;
    }
    // Off the grid the pushed look stays as it was: only a cell decides it.
    GridPoint at;
    if (HitTest(window, control, point, &at)) {
        BoardSetHot(control->board, hot, GridPointEqual(&at, &hot));
    }
    RequestRepaint(window);
    return 0;
}

LRESULT OnLButtonUp(HWND window, POINT point)
{
    int pressed = 0;
    if (!g_inputLocked) {
        Control* control = ControlOf(window);
        GridPoint at;
        GridPoint hot;
        if (control && HitTest(window, control, point, &at) && BoardGetHot(control->board, &hot) &&
            GridPointEqual(&at, &hot)) {
            BoardPress(control->board, at);
            RequestRepaint(window);
            SendBoardNotify(window, BN_PRESSED);
            pressed = 1;
        }
    }
    // Also while locked, so that a press begun before the lock ends cleanly.
    ReleaseCapture();
    // The parent's handler may have replaced the board or destroyed the
    // control, and may have locked the input: read everything afresh. Only
    // a press wins: a release on the frame or off the hot cell moved nothing.
    const Control* control = ControlOf(window);
    if (pressed && !g_inputLocked && control && BoardIsSolved(control->board)) {
        SendBoardNotify(window, BN_SOLVED);
    }
    return 0;
}

LRESULT OnCaptureChanged(HWND window, HWND gaining)
{
    if (gaining == window) {
        return 0;
    }
    if (Control* control = ControlOf(window)) {
        BoardResetHot(control->board);
    }
    RequestRepaint(window);
    return 0;
}

LRESULT CALLBACK BoardCtlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE: return OnCreate(window);
    case WM_DESTROY: return OnDestroy(window);
    case WM_PAINT: return OnPaint(window);
    case WM_LBUTTONDOWN: return OnLButtonDown(window, MessagePoint(lParam));
    case WM_MOUSEMOVE: return OnMouseMove(window, wParam, MessagePoint(lParam));
    case WM_LBUTTONUP: return OnLButtonUp(window, MessagePoint(lParam));
    case WM_CAPTURECHANGED: return OnCaptureChanged(window, reinterpret_cast<HWND>(lParam));
    default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

// ---- Class and window -------------------------------------------------------

int BoardCtlRegister(HINSTANCE instance)
{
    return RegisterWindowClass(instance, kClassName, BoardCtlProc, kClassStyle, 0, WHITE_BRUSH,
                               sizeof(Control*))
               ? 1
               : 0;
}

HWND BoardCtlCreate(HWND parent, int id, DWORD style)
{
    return CreateChildControl(kClassName, parent, id, style);
}

// ---- Geometry and state, read -----------------------------------------------

int BoardCtlGetPreferredSize(HWND window, GridPoint* size)
{
    const Control* control = ControlOf(window);
    if (!control || !size) {
        return 0;
    }
    const GridPoint pixels = BoardPixelSize(control);
    GridPointSet(size, std::min(pixels.x + kFrameSpace, kMaxWindowExtent),
                 std::min(pixels.y + kFrameSpace, kMaxWindowExtent));
    return 1;
}

int BoardCtlGetCellSize(HWND window, CellSize* size)
{
    const Control* control = ControlOf(window);
    if (!control || !size) {
        return 0;
    }
    *size = control->cell;
    return 1;
}

int BoardCtlGetGridSize(HWND window, GridPoint* size)
{
    const Control* control = ControlOf(window);
    if (!control || !size) {
        return 0;
    }
    GridPointSet(size, BoardColumns(control->board), BoardRows(control->board));
    return 1;
}

int BoardCtlGetScramblePresses(HWND window)
{
    const Control* control = ControlOf(window);
    return control ? BoardScramblePresses(control->board) : 0;
}

int BoardCtlHasGame(HWND window)
{
    const Control* control = ControlOf(window);
    return control ? BoardHasGame(control->board) : 0;
}

int BoardCtlGetFewestPresses(HWND window, int* exact)
{
    Control* control = ControlOf(window);
    if (exact) {
        *exact = 0;
    }
    if (!control || !BoardHasGame(control->board)) {
        return -1;
    }
    if (control->fewest.count < 0) {
        SolveDeal(control);
    }
    if (exact) {
        *exact = control->fewest.exact;
    }
    return control->fewest.count;
}

// ---- Changes ----------------------------------------------------------------

int BoardCtlSetCellSize(HWND window, int width, int height)
{
    Control* control = ControlOf(window);
    if (!control) {
        return 0;
    }
    control->cell.width = width;
    control->cell.height = height;
    ResizeToPreferred(window);
    SendBoardNotify(window, BN_CELLSIZE);
    RequestRepaint(window);
    return 1;
}

int BoardCtlNewBoard(HWND window, int columns, int rows)
{
    Control* control = ControlOf(window);
    if (!control) {
        return 0;
    }
    Board* board = BoardCreate(columns, rows);
    if (!board) {
        return 0;  // the old board and the control's size stay as they were
    }
    Board* old = control->board;
    control->board = board;
    if (!PublishState(window, control)) {
        control->board = old;
        PublishState(window, control);
        BoardDestroy(board);
        return 0;
    }
    BoardDestroy(old);
    ResizeToPreferred(window);
    SendBoardNotify(window, BN_GRIDSIZE);
    RequestRepaint(window);
    return 1;
}

int BoardCtlClear(HWND window)
{
    return ChangeBoard(window, BoardClear);
}

int BoardCtlRetry(HWND window)
{
    // Nothing to restore without a game, and that is fine.
    return ChangeBoard(window, BoardRestore);
}

int BoardCtlNewGame(HWND window, uint32_t seed)
{
    Control* control = ControlOf(window);
    if (!control) {
        return 0;
    }
    BoardDeal(control->board, kScramblePasses, seed);
    control->fewest = FewestPresses{};  // worked out when the win asks for it
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
