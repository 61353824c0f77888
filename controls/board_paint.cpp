#include "controls/board_paint.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <type_traits>

#include "controls/bevel.h"
#include "controls/rect_math.h"

struct BoardDrawn {
    int valid;  // 0: the buffer holds nothing this record vouches for
    unsigned kept;
    RECT area;
    RECT client;
    RECT grid;
    GridPoint cell;
    BevelColours colours;  // of the frame's and the cells' edges
    int columns;
    int rows;
    int marked;  // 1 when `hot` carries the marks of a press
    GridPoint hot;
    uint8_t* sunk;  // each cell's look, row-major
    size_t capacity;
};
// calloc's zero bytes are the empty record: no member has an initialiser.
static_assert(std::is_trivial<BoardDrawn>::value, "BoardDrawn starts as zero bytes");

namespace {

// The part of the client area outside the grid. With tiles the cells cover
// the grid completely, so filling it too would only write every pixel twice.
void FillAroundGrid(HDC dc, const RECT* client, const RECT* grid)
{
    const LONG top = std::max(client->top, std::min(grid->top, client->bottom));
    const LONG bottom = std::min(client->bottom, std::max(grid->bottom, client->top));
    const LONG left = std::max(client->left, std::min(grid->left, client->right));
    const LONG right = std::min(client->right, std::max(grid->right, client->left));
    const RECT bands[] = {
        {client->left, client->top, client->right, top},
        {client->left, bottom, client->right, client->bottom},
        {client->left, top, left, bottom},
        {right, top, client->right, bottom},
    };
    for (const RECT& band : bands) {
        if (!IsRectEmpty(&band)) {
            FillFace(dc, &band);
        }
    }
}

// The sunken frame around the client area. A grid too large for its window
// runs under the frame's far sides (the window ends before the grid does);
// there the grid covers the frame, so a cell looks the same wherever it is.
void DrawFrame(HDC dc, const RECT* client, const RECT* grid)
{
    RECT inside = *client;
    InflateRect(&inside, -kBoardFrameRings, -kBoardFrameRings);
    const int underFrame = grid && (grid->left < inside.left || grid->top < inside.top ||
                                    grid->right > inside.right || grid->bottom > inside.bottom);
    const int saved = underFrame ? SaveDC(dc) : 0;
    if (saved) {
        ExcludeClipRect(dc, grid->left, grid->top, grid->right, grid->bottom);
    }
    DrawSunkenBevel(dc, client, kBoardFrameRings);
    if (saved) {
        RestoreDC(dc, saved);
    }
}

RECT CellRect(const RECT* grid, GridPoint cell, GridPoint at)
{
    return RectFromOriginSize(GridPoint{grid->left + at.x * cell.x, grid->top + at.y * cell.y},
                              cell);
}

// The cells whose rectangles meet `area`, as column and row ranges
// [first, last]; 0 when none does.
int CellsMeeting(const RECT* area, const RECT* grid, GridPoint cell, RECT* range)
{
    RECT inside;
    if (!IntersectRect(&inside, area, grid)) {
        return 0;
    }
    *range =
        RECT{(inside.left - grid->left) / cell.x, (inside.top - grid->top) / cell.y,
             (inside.right - 1 - grid->left) / cell.x, (inside.bottom - 1 - grid->top) / cell.y};
    return 1;
}

// A call to memcpy pays off for long runs; the few pixels of a small cell
// go faster one by one, unrolled: a row of the smallest cells is mostly
// such runs, all of one length.
inline void CopyPixels(uint32_t* to, const uint32_t* from, int count)
{
    switch (count) {
    case 8: to[7] = from[7]; [[fallthrough]];
    case 7: to[6] = from[6]; [[fallthrough]];
    case 6: to[5] = from[5]; [[fallthrough]];
    case 5: to[4] = from[4]; [[fallthrough]];
    case 4: to[3] = from[3]; [[fallthrough]];
    case 3: to[2] = from[2]; [[fallthrough]];
    case 2: to[1] = from[1]; [[fallthrough]];
    case 1: to[0] = from[0]; [[fallthrough]];
    case 0: return;
    default: memcpy(to, from, sizeof(uint32_t) * count);
    }
}

// Where one visible cell's pixels come from and go to in every pixel row.
struct Span {
    const uint32_t* from;  // the tile's top row, at the first visible pixel
    int to;                // that pixel's offset in a buffer row
    int count;
};

// Copies the cells inside the buffer from the tiles. Per row of cells, where
// each visible cell's pixels come from and go to is worked out once (a batch
// of columns at a time, to keep it on the stack); then every pixel row is a
// run of short copies.
void CopyCells(const PixelView* view, const RECT* grid, GridPoint cell, const Board* board,
               const CellTiles* tiles)
{
    RECT range = {};
    if (!CellsMeeting(&view->area, grid, cell, &range)) {
        return;
    }
    constexpr int kBatch = 64;
    Span spans[kBatch];
    for (int y = range.top; y <= range.bottom; ++y) {
        const LONG cellTop = grid->top + y * cell.y;
        const LONG first = std::max(cellTop, view->area.top);
        const LONG last = std::min(cellTop + cell.y, view->area.bottom);
        for (int batch = range.left; batch <= range.right; batch += kBatch) {
            const int columns = std::min<int>(kBatch, range.right + 1 - batch);
            for (int i = 0; i < columns; ++i) {
                const int x = batch + i;
                const LONG cellLeft = grid->left + x * cell.x;
                const LONG from = std::max(cellLeft, view->area.left);
                const LONG to = std::min(cellLeft + cell.x, view->area.right);
                const int sunk = BoardIsSunk(board, GridPoint{x, y});
                spans[i] = {CellTilesRow(tiles, sunk, 0) + (from - cellLeft),
                            static_cast<int>(from - view->area.left), static_cast<int>(to - from)};
            }
            const int from = spans[0].to;  // the spans follow each other without a gap
            const int count = spans[columns - 1].to + spans[columns - 1].count - from;
            for (LONG row = first; row < last; ++row) {
                uint32_t* out = view->bits + (row - view->area.top) * view->stride;
                if (row > first && CellTilesRowRepeats(tiles, row - cellTop)) {
                    CopyPixels(out + from, out - view->stride + from, count);
                    continue;
                }
                const int tileRow = (row - cellTop) * cell.x;
                for (int i = 0; i < columns; ++i) {
                    CopyPixels(out + spans[i].to, spans[i].from + tileRow, spans[i].count);
                }
            }
        }
    }
}

// One cell copied from its tile, as far as it lies inside the buffer.
void CopyCell(const PixelView* view, const RECT* grid, GridPoint cell, GridPoint at,
              const CellTiles* tiles, int sunk)
{
    const RECT rect = CellRect(grid, cell, at);
    RECT part;
    if (!IntersectRect(&part, &rect, &view->area)) {
        return;
    }
    for (LONG row = part.top; row < part.bottom; ++row) {
        CopyPixels(view->bits + (row - view->area.top) * view->stride +
                       (part.left - view->area.left),
                   CellTilesRow(tiles, sunk, row - rect.top) + (part.left - rect.left),
                   part.right - part.left);
    }
}

// ---- What the kept buffer holds -----------------------------------------------

// 1 when the kept buffer holds the last paint of this very area, client,
// grid, cell size and edge colours, so that only changed cells need drawing.
int StillHolds(const BoardDrawn* drawn, const RECT* client, const PixelView* pixels,
               const RECT* grid, GridPoint cell, const Board* board)
{
    return drawn->valid && pixels->kept == drawn->kept && EqualRect(&pixels->area, &drawn->area) &&
           EqualRect(client, &drawn->client) && EqualRect(grid, &drawn->grid) &&
           cell.x == drawn->cell.x && cell.y == drawn->cell.y &&
           BoardColumns(board) == drawn->columns && BoardRows(board) == drawn->rows &&
           BevelColoursEqual(GetBevelColours(), drawn->colours);
}

// Notes what a whole paint just left in a kept buffer; without the memory
// for it the record stays empty and the next paint draws everything again.
void Remember(BoardDrawn* drawn, const RECT* client, const PixelView* pixels, const RECT* grid,
              GridPoint cell, const Board* board)
{
    const int columns = BoardColumns(board);
    const int rows = BoardRows(board);
    const size_t count = static_cast<size_t>(columns) * static_cast<size_t>(rows);
    if (count > drawn->capacity) {
        free(drawn->sunk);
        drawn->sunk = static_cast<uint8_t*>(malloc(count));
        drawn->capacity = drawn->sunk ? count : 0;
        if (!drawn->sunk) {
            return;
        }
    }
    for (int y = 0; y < rows; ++y) {
        for (int x = 0; x < columns; ++x) {
            drawn->sunk[x + static_cast<size_t>(y) * columns] =
                static_cast<uint8_t>(BoardIsSunk(board, GridPoint{x, y}));
        }
    }
    drawn->kept = pixels->kept;
    drawn->area = pixels->area;
    drawn->client = *client;
    drawn->grid = *grid;
    drawn->cell = cell;
    drawn->colours = GetBevelColours();
    drawn->columns = columns;
    drawn->rows = rows;
    drawn->marked = BoardGetHot(board, &drawn->hot);
    drawn->valid = pixels->kept != 0;
}

// Brings the kept buffer up to date but for the marks of a press: the cells
// whose look changed, and the cell marked last time back to its plain look
// (the focus rectangle is drawn XOR, so marking it again would erase it).
// The cell to mark now is plain already: either it was not marked, or it was
// just restored.
void CopyChangedCells(const PixelView* view, const RECT* grid, GridPoint cell, const Board* board,
                      const CellTiles* tiles, BoardDrawn* drawn)
{
    for (int y = 0; y < drawn->rows; ++y) {
        uint8_t* looks = drawn->sunk + static_cast<size_t>(y) * drawn->columns;
        for (int x = 0; x < drawn->columns; ++x) {
            const int sunk = BoardIsSunk(board, GridPoint{x, y});
            if (sunk != looks[x]) {
                looks[x] = static_cast<uint8_t>(sunk);
                CopyCell(view, grid, cell, GridPoint{x, y}, tiles, sunk);
            }
        }
    }
    if (drawn->marked) {
        const GridPoint old = drawn->hot;
        CopyCell(view, grid, cell, old, tiles,
                 drawn->sunk[old.x + static_cast<size_t>(old.y) * drawn->columns]);
    }
    drawn->marked = BoardGetHot(board, &drawn->hot);
}

// Without a back buffer's pixels or fitting tiles: every cell that meets the
// clip box drawn with the bevel routines, as the tiles themselves are.
void BevelCells(HDC dc, const RECT* grid, GridPoint cell, const Board* board)
{
    RECT clip;
    RECT range;
    if (GetClipBox(dc, &clip) == ERROR || !CellsMeeting(&clip, grid, cell, &range)) {
        return;
    }
    for (int y = range.top; y <= range.bottom; ++y) {
        for (int x = range.left; x <= range.right; ++x) {
            const GridPoint at = {x, y};
            const RECT rect = CellRect(grid, cell, at);
            if (BoardIsSunk(board, at)) {
                DrawSunkenBevel(dc, &rect, kSunkCellRings);
            } else {
                DrawRaisedBevel(dc, &rect, kRaisedCellRings);
            }
        }
    }
}

// Marks the cell under a press in progress: pushed, it shows the state the
// press would give it; pushed or not, it carries the focus rectangle.
void DrawHotCell(HDC dc, const RECT* grid, GridPoint cell, const Board* board)
{
    GridPoint hot;
    if (!BoardGetHot(board, &hot)) {
        return;
    }
    const RECT rect = CellRect(grid, cell, hot);
    if (BoardIsPressed(board)) {
        RECT edge = rect;  // DrawEdge may adjust the rectangle it is given
        DrawEdge(dc, &edge, BoardIsSunk(board, hot) ? EDGE_RAISED : EDGE_SUNKEN, BF_RECT);
    }
    DrawFocusRect(dc, &rect);
}

}  // namespace

BoardDrawn* BoardDrawnCreate()
{
    return static_cast<BoardDrawn*>(calloc(1, sizeof(BoardDrawn)));
}

void BoardDrawnDestroy(BoardDrawn* drawn)
{
    if (drawn) {
        free(drawn->sunk);
        free(drawn);
    }
}

void BoardPaint(HDC dc, const RECT* client, const PixelView* pixels, const RECT* grid,
                GridPoint cell, const Board* board, const CellTiles* tiles, BoardDrawn* drawn)
{
    const int hasCells = board && cell.x > 0 && cell.y > 0;
    const int copy = hasCells && pixels && tiles && CellTilesFit(tiles, cell.x, cell.y);
    if (copy && drawn && StillHolds(drawn, client, pixels, grid, cell, board)) {
        GdiFlush();  // the last paint's blit may still be reading the bits
        CopyChangedCells(pixels, grid, cell, board, tiles, drawn);
        DrawHotCell(dc, grid, cell, board);
        return;
    }
    if (drawn) {
        drawn->valid = 0;
    }
    if (copy) {
        FillAroundGrid(dc, client, grid);
    } else {
        FillFace(dc, client);
    }
    DrawFrame(dc, client, hasCells ? grid : nullptr);
    if (!hasCells) {
        return;
    }
    if (copy) {
        GdiFlush();  // the frame must be in the bits before cells go over it
        CopyCells(pixels, grid, cell, board, tiles);
    } else {
        BevelCells(dc, grid, cell, board);
    }
    DrawHotCell(dc, grid, cell, board);
    if (copy && drawn) {
        Remember(drawn, client, pixels, grid, cell, board);
    }
}
