#ifndef TESSALY_ENGINE_BOARD_H
#define TESSALY_ENGINE_BOARD_H

#include <cstddef>
#include <cstdint>

#include "engine/grid_point.h"

// The puzzle: columns x rows cells, each raised or sunk. A press flips a cell
// and its in-grid orthogonal neighbours; the board is solved when every cell is
// raised. The record also carries the board control's hot cell and pressed
// flag, which it only stores. No window is involved anywhere in this module.

enum : uint32_t {
    CELL_SUNK = 1u << 0,        // the cell as it is now
    CELL_SAVED_SUNK = 1u << 4,  // the cell as the last scramble left it (for retry)
};

struct Board {
    int32_t scramblePresses;  // presses the last scramble made
    int32_t columns;
    int32_t rows;
    int32_t hasGame;  // 1 after a scramble, 0 after create and clear
    int32_t pressed;  // meaningful only while the hot cell is in the grid
    GridPoint hot;    // (-1, -1) when there is none
    uint32_t* cells;  // row-major: cell (x, y) is cells[x + y * columns]
};
// Nothing reads the record by offset (the board control and the tests go by
// name): this only keeps a memory view of a board the same in every build.
static_assert(offsetof(Board, columns) == 4 && offsetof(Board, hot) == 20 &&
                  (sizeof(void*) != 4 || offsetof(Board, cells) == 28),
              "Board fields are 32-bit words in the order declared");

// Lifetime. BoardCreate returns null when memory runs out or the size is not
// a positive grid whose cell words fit in memory.
Board* BoardCreate(int columns, int rows);
int BoardDestroy(Board* board);

// Games.
int BoardClear(Board* board);
int BoardScramble(Board* board, int passes, uint32_t seed);
// A new game: the scramble of `seed`, or, where that leaves every cell raised
// (presses that cancel out: one seed in 4,096 on 4 x 4), of the next seed
// that does not. A seed still names one fixed deal. With no passes it is the
// scramble of `seed`, solved.
int BoardDeal(Board* board, int passes, uint32_t seed);
int BoardRestore(Board* board);                // 0 without a game, and nothing changes
int BoardPress(Board* board, GridPoint cell);  // cell must lie in the grid
int BoardIsSolved(const Board* board);
int BoardIsSunk(const Board* board, GridPoint cell);
// The puzzle as dealt, whatever has been pressed since: columns*rows bytes,
// row-major, 1 = sunk in the retry snapshot. All 0 without a game.
void BoardGetDeal(const Board* board, unsigned char* sunk);

// The press in progress, for the board control.
int BoardSetHot(Board* board, GridPoint cell, int pressed);
int BoardGetHot(const Board* board, GridPoint* cell);  // 1 when the hot cell is in the grid
int BoardResetHot(Board* board);
int BoardIsPressed(const Board* board);

// Accessors.
int BoardColumns(const Board* board);
int BoardRows(const Board* board);
int BoardScramblePresses(const Board* board);
int BoardHasGame(const Board* board);

#endif
