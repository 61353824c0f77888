#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <utility>
#include <vector>

#include "engine/board.h"

namespace {

struct BoardDeleter {
    void operator()(Board* board) const { BoardDestroy(board); }
};
using BoardPtr = std::unique_ptr<Board, BoardDeleter>;

BoardPtr MakeBoard(int columns, int rows)
{
    BoardPtr board(BoardCreate(columns, rows));
    EXPECT_NE(nullptr, board.get());
    return board;
}

using CellSet = std::set<std::pair<int, int>>;

CellSet SunkCells(const Board* board)
{
    CellSet sunk;
    for (int y = 0; y < BoardRows(board); ++y)
        for (int x = 0; x < BoardColumns(board); ++x)
            if (BoardIsSunk(board, GridPoint{x, y})) sunk.insert({x, y});
    return sunk;
}

std::vector<uint32_t> Words(const Board* board)
{
    return std::vector<uint32_t>(board->cells, board->cells + board->columns * board->rows);
}

}  // namespace

TEST(BoardCreate, StartsAllRaisedWithoutGameOrHotCell)
{
    BoardPtr board = MakeBoard(3, 2);
    EXPECT_EQ(3, BoardColumns(board.get()));
    EXPECT_EQ(2, BoardRows(board.get()));
    EXPECT_EQ(0, BoardHasGame(board.get()));
    EXPECT_EQ(0, BoardScramblePresses(board.get()));
    EXPECT_EQ(1, BoardIsSolved(board.get()));
    EXPECT_EQ(std::vector<uint32_t>(6, 0u), Words(board.get()));
    GridPoint hot = {7, 7};
    EXPECT_EQ(0, BoardGetHot(board.get(), &hot));
    EXPECT_EQ(-1, hot.x);
    EXPECT_EQ(-1, hot.y);
}

TEST(BoardCreate, RefusesSizesWithoutCells)
{
    EXPECT_EQ(nullptr, BoardCreate(0, 4));
    EXPECT_EQ(nullptr, BoardCreate(4, 0));
    EXPECT_EQ(nullptr, BoardCreate(-3, 4));
    EXPECT_EQ(nullptr, BoardCreate(65536, 65536));  // the byte count would overflow
}

TEST(BoardPress, FlipsTheCellAndItsInGridNeighbours)
{
    struct Case {
        int columns, rows, x, y;
        CellSet flipped;
    };
    const Case cases[] = {
        {4, 4, 0, 0, {{0, 0}, {1, 0}, {0, 1}}},                  // corner
        {4, 4, 3, 3, {{3, 3}, {2, 3}, {3, 2}}},                  // opposite corner
        {4, 4, 2, 0, {{2, 0}, {1, 0}, {3, 0}, {2, 1}}},          // top edge
        {4, 4, 0, 2, {{0, 2}, {0, 1}, {0, 3}, {1, 2}}},          // left edge
        {4, 4, 1, 2, {{1, 2}, {0, 2}, {2, 2}, {1, 1}, {1, 3}}},  // inner
        {1, 5, 0, 2, {{0, 1}, {0, 2}, {0, 3}}},                  // one column
        {5, 1, 0, 0, {{0, 0}, {1, 0}}},                          // one row, end
        {5, 1, 2, 0, {{1, 0}, {2, 0}, {3, 0}}},                  // one row, middle
        {1, 1, 0, 0, {{0, 0}}},                                  // single cell
    };
    for (const Case& c : cases) {
        BoardPtr board = MakeBoard(c.columns, c.rows);
        EXPECT_EQ(1, BoardPress(board.get(), GridPoint{c.x, c.y}));
        EXPECT_EQ(c.flipped, SunkCells(board.get()))
            << c.columns << "x" << c.rows << " at " << c.x << "," << c.y;
    }
}

TEST(BoardPress, PressingTwiceRestoresTheBoardExactly)
{
    BoardPtr board = MakeBoard(5, 4);
    BoardScramble(board.get(), 1, 77);
    const std::vector<uint32_t> before = Words(board.get());
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 5; ++x) {
            BoardPress(board.get(), GridPoint{x, y});
            EXPECT_NE(before, Words(board.get()));
            BoardPress(board.get(), GridPoint{x, y});
            EXPECT_EQ(before, Words(board.get()));
        }
    }
}

TEST(BoardScramble, SeedOneOnFourByFourIsTheKnownPuzzle)
{
    BoardPtr board = MakeBoard(4, 4);
    EXPECT_EQ(1, BoardScramble(board.get(), 1, 1));
    EXPECT_EQ(7, BoardScramblePresses(board.get()));
    EXPECT_EQ(1, BoardHasGame(board.get()));
    const CellSet expected = {{2, 0}, {3, 0}, {1, 1}, {3, 1}, {1, 2}, {3, 2}, {0, 3}, {1, 3}};
    EXPECT_EQ(expected, SunkCells(board.get()));
    // The snapshot bit (16) mirrors every sunk cell (1) and nothing else: the
    // words a memory view of a board shows.
    for (uint32_t word : Words(board.get())) EXPECT_TRUE(word == 0 || word == 0x11) << word;
    EXPECT_EQ(0, BoardIsSolved(board.get()));
}

TEST(BoardScramble, TheSameSeedAndSizeDealTheSamePuzzle)
{
    BoardPtr a = MakeBoard(6, 6);
    BoardPtr b = MakeBoard(6, 6);
    BoardScramble(a.get(), 1, 1700000000u);
    BoardScramble(b.get(), 1, 1700000000u);
    EXPECT_EQ(Words(a.get()), Words(b.get()));
    EXPECT_EQ(BoardScramblePresses(a.get()), BoardScramblePresses(b.get()));
    // A second scramble replaces the puzzle rather than adding to it.
    BoardScramble(a.get(), 1, 1700000000u);
    EXPECT_EQ(Words(b.get()), Words(a.get()));
}

TEST(BoardScramble, CanEndSolvedAndStillCountsItsPresses)
{
    // Seed 2003 presses eight cells of a 4 x 4 grid that cancel out.
    BoardPtr board = MakeBoard(4, 4);
    BoardScramble(board.get(), 1, 2003);
    EXPECT_EQ(8, BoardScramblePresses(board.get()));
    EXPECT_EQ(1, BoardIsSolved(board.get()));
    EXPECT_EQ(1, BoardHasGame(board.get()));

    // Seed 20 draws no even number for the four cells of a 2 x 2 grid.
    BoardPtr small = MakeBoard(2, 2);
    BoardScramble(small.get(), 1, 20);
    EXPECT_EQ(0, BoardScramblePresses(small.get()));
    EXPECT_EQ(1, BoardIsSolved(small.get()));

    // No passes: no draws, no presses, but a game all the same.
    BoardScramble(board.get(), 0, 1);
    EXPECT_EQ(0, BoardScramblePresses(board.get()));
    EXPECT_EQ(1, BoardIsSolved(board.get()));
    EXPECT_EQ(1, BoardHasGame(board.get()));
}

TEST(BoardDeal, DealsTheNextSeedsPuzzleWhereTheSeedsOwnIsSolved)
{
    struct Row {
        int columns, rows;
        uint32_t seed, dealtFrom;
    };
    // 1767228748 is 2026-01-01 00:52:28 UTC; 2 x 2 from 649 and from 650 presses nothing.
    for (const Row r : {Row{4, 4, 1767228748u, 1767228749u}, Row{4, 4, 2003, 2004},
                        Row{2, 2, 649, 651}, Row{4, 4, 1, 1}, Row{5, 5, 0, 0}}) {
        BoardPtr dealt = MakeBoard(r.columns, r.rows), expected = MakeBoard(r.columns, r.rows);
        BoardDeal(dealt.get(), 1, r.seed);
        BoardScramble(expected.get(), 1, r.dealtFrom);
        EXPECT_EQ(Words(expected.get()), Words(dealt.get())) << r.seed;
        EXPECT_EQ(BoardScramblePresses(expected.get()), BoardScramblePresses(dealt.get()))
            << r.seed;
        EXPECT_EQ(0, BoardIsSolved(dealt.get())) << r.seed;
    }
}

TEST(BoardRestore, BringsBackTheDealtPuzzleAfterAnyPresses)
{
    BoardPtr board = MakeBoard(4, 4);
    BoardScramble(board.get(), 1, 1);
    const std::vector<uint32_t> dealt = Words(board.get());
    BoardPress(board.get(), GridPoint{0, 0});
    BoardPress(board.get(), GridPoint{2, 1});
    BoardPress(board.get(), GridPoint{3, 3});
    ASSERT_NE(dealt, Words(board.get()));
    EXPECT_EQ(1, BoardRestore(board.get()));
    EXPECT_EQ(dealt, Words(board.get()));
    EXPECT_EQ(1, BoardRestore(board.get()));  // twice is the same as once
    EXPECT_EQ(dealt, Words(board.get()));
    EXPECT_EQ(7, BoardScramblePresses(board.get()));
    EXPECT_EQ(1, BoardHasGame(board.get()));
}

TEST(BoardGetDeal, ReadsThePuzzleAsDealtNotAsPlayed)
{
    // The known seed-1 puzzle, then presses that raise four of its cells.
    BoardPtr board = MakeBoard(4, 4);
    BoardScramble(board.get(), 1, 1);
    BoardPress(board.get(), GridPoint{3, 1});
    BoardPress(board.get(), GridPoint{0, 3});
    std::vector<unsigned char> deal(16 + 1, 0xA5);
    BoardGetDeal(board.get(), deal.data());
    const std::vector<unsigned char> expected = {0, 0, 1, 1, 0, 1, 0, 1,   0,
                                                 1, 0, 1, 1, 1, 0, 0, 0xA5};
    EXPECT_EQ(expected, deal);

    BoardClear(board.get());
    BoardPress(board.get(), GridPoint{1, 1});
    BoardGetDeal(board.get(), deal.data());
    EXPECT_EQ(std::vector<unsigned char>(16, 0),
              std::vector<unsigned char>(deal.begin(), deal.end() - 1));
}

TEST(BoardRestore, RefusesWithoutAGameAndChangesNothing)
{
    BoardPtr board = MakeBoard(4, 4);
    BoardPress(board.get(), GridPoint{1, 1});
    const std::vector<uint32_t> before = Words(board.get());
    EXPECT_EQ(0, BoardRestore(board.get()));
    EXPECT_EQ(before, Words(board.get()));

    // Clearing ends the game: all raised, no snapshot, and retry refuses again.
    BoardScramble(board.get(), 1, 1);
    BoardSetHot(board.get(), GridPoint{2, 2}, 1);
    EXPECT_EQ(1, BoardClear(board.get()));
    EXPECT_EQ(std::vector<uint32_t>(16, 0u), Words(board.get()));
    EXPECT_EQ(0, BoardHasGame(board.get()));
    EXPECT_EQ(0, BoardScramblePresses(board.get()));
    EXPECT_EQ(0, BoardRestore(board.get()));
    EXPECT_EQ(1, BoardIsSolved(board.get()));
    GridPoint hot;
    EXPECT_EQ(1, BoardGetHot(board.get(), &hot));  // clear leaves the press in progress
    EXPECT_EQ(1, BoardIsPressed(board.get()));
}

TEST(BoardIsSolved, LooksAtEveryCellIncludingTheLast)
{
    BoardPtr board = MakeBoard(4, 2);
    board->cells[7] = CELL_SUNK;
    EXPECT_EQ(0, BoardIsSolved(board.get()));
    board->cells[7] = CELL_SAVED_SUNK;  // only the current state counts
    EXPECT_EQ(1, BoardIsSolved(board.get()));
}

TEST(BoardHotCell, StoresAnyPairAndReportsWhetherItIsInTheGrid)
{
    BoardPtr board = MakeBoard(4, 3);
    struct Case {
        GridPoint cell;
        int inGrid;
    };
    const Case cases[] = {{{0, 0}, 1},  {{3, 2}, 1},  {{4, 2}, 0},  {{3, 3}, 0},
                          {{-1, 0}, 0}, {{0, -1}, 0}, {{-1, -1}, 0}};
    for (const Case& c : cases) {
        EXPECT_EQ(1, BoardSetHot(board.get(), c.cell, 1));
        GridPoint out = {99, 99};
        EXPECT_EQ(c.inGrid, BoardGetHot(board.get(), &out));
        EXPECT_EQ(1, GridPointEqual(&out, &c.cell));
    }
    BoardSetHot(board.get(), GridPoint{1, 1}, 0);
    EXPECT_EQ(0, BoardIsPressed(board.get()));
    BoardSetHot(board.get(), GridPoint{1, 1}, 1);
    EXPECT_EQ(1, BoardResetHot(board.get()));
    GridPoint out;
    EXPECT_EQ(0, BoardGetHot(board.get(), &out));
    EXPECT_EQ(-1, out.x);
    EXPECT_EQ(1, BoardIsPressed(board.get()));  // reset leaves the flag alone
}

TEST(BoardLargest, OneHundredTwentyEightSquarePlaysAndRetries)
{
    BoardPtr board = MakeBoard(128, 128);
    BoardScramble(board.get(), 1, 424242);
    const std::vector<uint32_t> dealt = Words(board.get());
    EXPECT_GT(BoardScramblePresses(board.get()), 0);
    BoardPress(board.get(), GridPoint{127, 127});
    BoardPress(board.get(), GridPoint{0, 127});
    BoardPress(board.get(), GridPoint{64, 64});
    EXPECT_EQ(1, BoardRestore(board.get()));
    EXPECT_EQ(dealt, Words(board.get()));
    BoardClear(board.get());
    EXPECT_EQ(1, BoardIsSolved(board.get()));
}
