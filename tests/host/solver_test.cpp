#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <vector>

#include "engine/board.h"
#include "engine/solver.h"

namespace {

using Grid = std::vector<unsigned char>;

constexpr unsigned char kGuard = 0xA5;
constexpr int kGuardBytes = 16;

// The test's own rule: a press flips the cell and its in-grid orthogonal neighbours.
void Press(int columns, int rows, Grid* grid, int x, int y)
{
    const int offsets[5][2] = {{0, 0}, {-1, 0}, {1, 0}, {0, -1}, {0, 1}};
    for (const auto& d : offsets) {
        const int a = x + d[0], b = y + d[1];
        if (a >= 0 && a < columns && b >= 0 && b < rows) (*grid)[a + b * columns] ^= 1;
    }
}

Grid Apply(int columns, int rows, const Grid& presses)
{
    Grid grid(presses.size(), 0);
    for (int i = 0; i < columns * rows; ++i)
        if (presses[i]) Press(columns, rows, &grid, i % columns, i / columns);
    return grid;
}

Grid Normalised(const Grid& sunk)
{
    Grid grid(sunk.size());
    std::transform(sunk.begin(), sunk.end(), grid.begin(),
                   [](unsigned char c) { return c ? 1 : 0; });
    return grid;
}

struct Answer {
    int count;
    int exact;
    Grid presses;
};

// Calls the solver with guard bytes after the presses and checks what every
// answer owes: presses that clear the grid and number what was returned, or
// none at all.
Answer Solve(int columns, int rows, const Grid& sunk)
{
    const size_t cells = sunk.size();
    Grid buffer(cells + kGuardBytes, kGuard);
    Answer answer;
    answer.exact = -1;
    answer.count = SolverFewestPresses(columns, rows, sunk.data(), buffer.data(), &answer.exact);
    EXPECT_EQ(Grid(kGuardBytes, kGuard), Grid(buffer.begin() + cells, buffer.end()))
        << columns << "x" << rows;
    answer.presses.assign(buffer.begin(), buffer.begin() + cells);
    if (answer.count >= 0) {
        EXPECT_EQ(Normalised(sunk), Apply(columns, rows, answer.presses)) << columns << "x" << rows;
        EXPECT_EQ(answer.count, std::count(answer.presses.begin(), answer.presses.end(), 1));
    } else {
        EXPECT_EQ(Grid(cells, 0), answer.presses);
        EXPECT_EQ(0, answer.exact);
    }
    return answer;
}

// The fewest presses for every grid of one size (-1 where no press set
// clears it), by trying every press set in Gray-code order.
std::vector<int> FewestByEveryPressSet(int columns, int rows)
{
    const int cells = columns * rows;
    std::vector<uint32_t> effect(cells, 0);
    for (int i = 0; i < cells; ++i) {
        Grid one(cells, 0);
        one[i] = 1;
        const Grid flipped = Apply(columns, rows, one);
        for (int j = 0; j < cells; ++j) effect[i] |= uint32_t{flipped[j]} << j;
    }
    std::vector<int> fewest(size_t{1} << cells, -1);
    fewest[0] = 0;
    uint32_t grid = 0, set = 0;
    for (uint32_t step = 1; step < (uint32_t{1} << cells); ++step) {
        const int i = __builtin_ctz(step);
        grid ^= effect[i];
        set ^= uint32_t{1} << i;
        const int count = __builtin_popcount(set);
        if (fewest[grid] < 0 || count < fewest[grid]) fewest[grid] = count;
    }
    return fewest;
}

Grid GridFromBits(int cells, uint32_t bits)
{
    Grid grid(cells);
    for (int i = 0; i < cells; ++i) grid[i] = (bits >> i) & 1;
    return grid;
}

// Every first row chased to the bottom: the lightest that clears the grid.
int FewestByEveryFirstRow(int columns, int rows, const Grid& sunk)
{
    int fewest = -1;
    Grid grid, presses;
    for (uint32_t first = 0; first < (uint32_t{1} << columns); ++first) {
        grid = sunk;
        presses.assign(sunk.size(), 0);
        for (int y = 0; y < rows; ++y) {
            for (int x = 0; x < columns; ++x) {
                if (y == 0 ? (first >> x) & 1 : grid[x + (y - 1) * columns]) {
                    presses[x + y * columns] = 1;
                    Press(columns, rows, &grid, x, y);
                }
            }
        }
        if (std::count(grid.begin(), grid.end(), 1) == 0) {
            const int count = static_cast<int>(std::count(presses.begin(), presses.end(), 1));
            if (fewest < 0 || count < fewest) fewest = count;
        }
    }
    return fewest;
}

struct BoardDeleter {
    void operator()(Board* board) const { BoardDestroy(board); }
};

Grid Deal(int columns, int rows, uint32_t seed)
{
    std::unique_ptr<Board, BoardDeleter> board(BoardCreate(columns, rows));
    BoardScramble(board.get(), 1, seed);
    Grid deal(columns * rows);
    BoardGetDeal(board.get(), deal.data());
    return deal;
}

Grid RandomPresses(std::mt19937* random, int columns, int rows)
{
    Grid presses(columns * rows);
    for (unsigned char& press : presses) press = (*random)() & 1;
    return presses;
}

Grid Transposed(int columns, int rows, const Grid& grid)
{
    Grid out(grid.size());
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < columns; ++x) out[y + x * rows] = grid[x + y * columns];
    return out;
}

}  // namespace

TEST(SolverFewestPresses, MatchesEveryPressSetOnEveryGridUpToFourByFour)
{
    for (int columns = 1; columns <= 4; ++columns) {
        for (int rows = 1; rows <= 4; ++rows) {
            const int cells = columns * rows;
            const std::vector<int> fewest = FewestByEveryPressSet(columns, rows);
            for (uint32_t bits = 0; bits < (uint32_t{1} << cells); ++bits) {
                const Answer answer = Solve(columns, rows, GridFromBits(cells, bits));
                ASSERT_EQ(fewest[bits], answer.count) << columns << "x" << rows << " grid " << bits;
                ASSERT_EQ(answer.count >= 0, answer.exact == 1);
                if (HasFailure()) return;
            }
        }
    }
}

TEST(SolverFewestPresses, MatchesEveryPressSetOnRandomGridsWithASideOfFive)
{
    std::mt19937 random(11);
    for (int other = 1; other <= 4; ++other) {
        for (const auto& size : {std::make_pair(5, other), std::make_pair(other, 5)}) {
            const int cells = size.first * size.second;
            const std::vector<int> fewest = FewestByEveryPressSet(size.first, size.second);
            for (int i = 0; i < 500; ++i) {
                const uint32_t bits = random() & ((uint32_t{1} << cells) - 1);
                Grid sunk = GridFromBits(cells, bits);
                for (unsigned char& cell : sunk) cell *= static_cast<unsigned char>(random() | 1);
                ASSERT_EQ(fewest[bits], Solve(size.first, size.second, sunk).count)
                    << size.first << "x" << size.second << " grid " << bits;
                if (HasFailure()) return;
            }
        }
    }
}

TEST(SolverFewestPresses, FindsTheTrueMinimumOfDealsOnEveryLevel)
{
    for (const int side : {4, 5, 6, 8, 16}) {
        for (uint32_t seed = 1700000000u; seed < 1700000000u + (side == 16 ? 2 : 6); ++seed) {
            const Grid deal = Deal(side, side, seed);
            const Answer answer = Solve(side, side, deal);
            EXPECT_EQ(FewestByEveryFirstRow(side, side, deal), answer.count)
                << side << " seed " << seed;
            EXPECT_EQ(1, answer.exact);
        }
    }
}

TEST(SolverNullSpaceDimension, IsKnownForTheLevelsAndTheLargestGrid)
{
    EXPECT_EQ(4, SolverNullSpaceDimension(4, 4));
    EXPECT_EQ(2, SolverNullSpaceDimension(5, 5));
    EXPECT_EQ(0, SolverNullSpaceDimension(6, 6));
    EXPECT_EQ(0, SolverNullSpaceDimension(8, 8));
    EXPECT_EQ(8, SolverNullSpaceDimension(16, 16));
    EXPECT_EQ(56, SolverNullSpaceDimension(128, 128));
    EXPECT_EQ(SolverNullSpaceDimension(23, 97), SolverNullSpaceDimension(97, 23));
    EXPECT_EQ(-1, SolverNullSpaceDimension(0, 4));
    EXPECT_EQ(-1, SolverNullSpaceDimension(4, 129));
}

TEST(SolverFewestPresses, RefusesSizesOutsideTheGridsAndMissingBuffers)
{
    Grid sunk(129, 1), presses(129 + kGuardBytes, kGuard);
    int exact = 1;
    EXPECT_EQ(-1, SolverFewestPresses(0, 4, sunk.data(), presses.data(), &exact));
    EXPECT_EQ(-1, SolverFewestPresses(129, 1, sunk.data(), presses.data(), &exact));
    EXPECT_EQ(-1, SolverFewestPresses(1, -1, sunk.data(), presses.data(), &exact));
    EXPECT_EQ(Grid(presses.size(), kGuard), presses);
    EXPECT_EQ(0, exact);
    EXPECT_EQ(-1, SolverFewestPresses(2, 2, nullptr, presses.data(), &exact));
    EXPECT_EQ(-1, SolverFewestPresses(2, 2, sunk.data(), nullptr, &exact));
    EXPECT_EQ(1, SolverFewestPresses(1, 1, sunk.data(), presses.data(), nullptr));
}

TEST(SolverFewestPresses, AnswersAnyGridUpToTheLargest)
{
    // Sizes on both sides of the 64-cell word and of the walkable null spaces,
    // each solved as given and transposed: the same count when both are exact.
    std::mt19937 random(5);
    // 63 x 65 ends its cells one short of a word; 30 x 30 has the largest null
    // space still searched whole (2^20 press sets).
    const int sizes[][2] = {{1, 128},  {64, 65},   {63, 65}, {33, 100},
                            {127, 30}, {128, 127}, {19, 19}, {30, 30}};
    for (const auto& size : sizes) {
        const int columns = size[0], rows = size[1];
        const Grid deal = Apply(columns, rows, RandomPresses(&random, columns, rows));
        const Answer answer = Solve(columns, rows, deal);
        const Answer turned = Solve(rows, columns, Transposed(columns, rows, deal));
        ASSERT_GE(answer.count, 0) << columns << "x" << rows;
        EXPECT_EQ(SolverNullSpaceDimension(columns, rows) <= 20, answer.exact == 1)
            << columns << "x" << rows;
        if (answer.exact && turned.exact) {
            EXPECT_EQ(answer.count, turned.count) << columns << "x" << rows;
        }
    }
}

TEST(SolverFewestPresses, FindsAFewScatteredPressesOnGridsTooLargeToSearchWhole)
{
    // 2^56, 2^39 (two blocks, the second one short) and 2^22 solutions cannot
    // all be looked at; a deal of a few presses still comes back as those
    // presses, also with some in the first row or column.
    const int sizes[][2] = {{128, 128}, {39, 119}, {23, 47}, {47, 23}};
    for (const auto& size : sizes) {
        const int columns = size[0], rows = size[1];
        Grid presses(columns * rows, 0);
        for (const int cell : {0, columns / 2, columns - 1, 3 * columns + 5,
                               7 * columns + columns - 2, (rows - 1) * columns + columns / 3})
            presses[cell] = 1;
        const Answer answer = Solve(columns, rows, Apply(columns, rows, presses));
        EXPECT_EQ(6, answer.count) << columns << "x" << rows;
        EXPECT_EQ(presses, answer.presses);
        EXPECT_EQ(0, answer.exact);
    }
    // Found only when the basis is fully reduced first.
    Grid eight(128 * 128, 0);
    for (const int cell : {40, 374, 3723, 4215, 9827, 11486, 12991, 14290}) eight[cell] = 1;
    EXPECT_EQ(eight, Solve(128, 128, Apply(128, 128, eight)).presses);
}

TEST(SolverFewestPresses, SaysNoOnGridsNoPressSetClears)
{
    // A lone sunk corner of 5 x 5 lies under a press set that changes nothing.
    Grid corner(25, 0);
    corner[0] = 1;
    EXPECT_EQ(-1, Solve(5, 5, corner).count);
    Grid big(128 * 128, 0);
    big[0] = 1;
    EXPECT_EQ(-1, Solve(128, 128, big).count);
}
