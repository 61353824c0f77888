#include "engine/board.h"

#include <cstdlib>
#include <cstring>

#include "engine/random.h"

namespace {

constexpr GridPoint kNoCell = {-1, -1};

// Above, below, the cell itself, left, right.
constexpr GridPoint kPressOffsets[] = {{0, -1}, {0, 1}, {0, 0}, {-1, 0}, {1, 0}};

int CellCount(const Board* board)
{
    return board->columns * board->rows;
}

int InGrid(const Board* board, GridPoint cell)
{
    return cell.x >= 0 && cell.x < board->columns && cell.y >= 0 && cell.y < board->rows;
}

// Every cell's bit `to` takes the value of its bit `from`: the snapshot is
// taken one way and restored the other.
void CopyCellBit(Board* board, uint32_t from, uint32_t to)
{
    const int count = CellCount(board);
    for (int i = 0; i < count; ++i) {
        uint32_t word = board->cells[i] & ~to;
        if (word & from) {
            word |= to;
        }
        board->cells[i] = word;
    }
}

}  // namespace

Board* BoardCreate(int columns, int rows)
{
    // Anything but a positive size whose byte count fits an int would make the
    // cell arithmetic below overflow.
    if (columns <= 0 || rows <= 0 || columns > INT32_MAX / 4 / rows) {
        return nullptr;
    }
    const size_t bytes = static_cast<size_t>(columns) * static_cast<size_t>(rows) * 4u;
    uint32_t* cells = static_cast<uint32_t*>(malloc(bytes));
    if (!cells) {
        return nullptr;
    }
    Board* board = static_cast<Board*>(malloc(sizeof(Board)));
    if (!board) {
        free(cells);
        return nullptr;
    }
    memset(cells, 0, bytes);
    board->hot = kNoCell;
    board->pressed = 0;
    board->hasGame = 0;
    board->columns = columns;
    board->rows = rows;
    board->scramblePresses = 0;
    board->cells = cells;
    return board;
}

int BoardDestroy(Board* board)
{
    free(board->cells);
    free(board);
    return 1;
}

int BoardClear(Board* board)
{
    board->scramblePresses = 0;
    board->hasGame = 0;
    memset(board->cells, 0, static_cast<size_t>(CellCount(board)) * 4u);
    return 1;
}

int BoardScramble(Board* board, int passes, uint32_t seed)
{
    BoardClear(board);
    RandomSeed(seed);
    for (int pass = 0; pass < passes; ++pass) {
        for (int y = 0; y < board->rows; ++y) {
            for (int x = 0; x < board->columns; ++x) {
                // One draw per cell, pressed or not, so a seed fixes the puzzle.
                if (RandomNext() % 2 == 0) {
                    ++board->scramblePresses;
                    BoardPress(board, GridPoint{x, y});
                }
            }
        }
    }
    CopyCellBit(board, CELL_SUNK, CELL_SAVED_SUNK);
    board->hasGame = 1;
    return 1;
}

int BoardDeal(Board* board, int passes, uint32_t seed)
{
    BoardScramble(board, passes, seed);
    // A solved deal is no puzzle. Most press sets leave a cell sunk, so the
    // seeds that follow soon give one.
    while (passes > 0 && BoardIsSolved(board)) BoardScramble(board, passes, ++seed);
    return 1;
}

int BoardRestore(Board* board)
{
    if (!board->hasGame) {
        return 0;
    }
    CopyCellBit(board, CELL_SAVED_SUNK, CELL_SUNK);
    return 1;
}

int BoardPress(Board* board, GridPoint cell)
{
    for (const GridPoint& offset : kPressOffsets) {
        const GridPoint target = {cell.x + offset.x, cell.y + offset.y};
        if (InGrid(board, target)) {
            board->cells[target.x + target.y * board->columns] ^= CELL_SUNK;
        }
    }
    return 1;
}

int BoardIsSolved(const Board* board)
{
    const int count = CellCount(board);
    for (int i = 0; i < count; ++i) {
        if (board->cells[i] & CELL_SUNK) {
            return 0;
        }
    }
    return 1;
}

int BoardIsSunk(const Board* board, GridPoint cell)
{
    return (board->cells[cell.x + cell.y * board->columns] & CELL_SUNK) ? 1 : 0;
}

void BoardGetDeal(const Board* board, unsigned char* sunk)
{
    const int count = CellCount(board);
    for (int i = 0; i < count; ++i) {
        sunk[i] = (board->cells[i] & CELL_SAVED_SUNK) ? 1 : 0;
    }
}

int BoardSetHot(Board* board, GridPoint cell, int pressed)
{
    board->hot = cell;
    board->pressed = pressed;
    return 1;
}

int BoardGetHot(const Board* board, GridPoint* cell)
{
    *cell = board->hot;
    return InGrid(board, board->hot);
}

int BoardResetHot(Board* board)
{
    board->hot = kNoCell;
    return 1;
}

int BoardIsPressed(const Board* board)
{
    return board->pressed;
}

int BoardColumns(const Board* board)
{
    return board->columns;
}

int BoardRows(const Board* board)
{
    return board->rows;
}

int BoardScramblePresses(const Board* board)
{
    return board->scramblePresses;
}

int BoardHasGame(const Board* board)
{
    return board->hasGame;
}
