// How long the fewest-presses solver takes: the deals of every level and
// dense grids of 128 x 128, each solved several times, the fastest run kept.
// Beside each figure, the floor: applying the answer's presses to a grid by
// the press rule, measured in the same run, so a loaded machine shows in both.
// Not a test: nothing passes or fails on the figures.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <vector>

#include "engine/board.h"
#include "engine/solver.h"

namespace {

using Clock = std::chrono::steady_clock;
using Grid = std::vector<unsigned char>;

constexpr int kRepeats = 5;

double Seconds(Clock::time_point from)
{
    return std::chrono::duration<double>(Clock::now() - from).count();
}

Grid Apply(int columns, int rows, const Grid& presses)
{
    Grid grid(presses.size(), 0);
    for (int y = 0; y < rows; ++y) {
        for (int x = 0; x < columns; ++x) {
            if (!presses[x + y * columns]) continue;
            grid[x + y * columns] ^= 1;
            if (x > 0) grid[x - 1 + y * columns] ^= 1;
            if (x + 1 < columns) grid[x + 1 + y * columns] ^= 1;
            if (y > 0) grid[x + (y - 1) * columns] ^= 1;
            if (y + 1 < rows) grid[x + (y + 1) * columns] ^= 1;
        }
    }
    return grid;
}

struct Figures {
    double worst = 0;  // slowest grid, fastest of its runs, seconds
    double total = 0;
    double floor = 0;  // the same for the floor
    int grids = 0;
    int inexact = 0;
    long presses = 0;
};

void Measure(int columns, int rows, const Grid& sunk, Figures* figures)
{
    Grid presses(sunk.size());
    double best = 1e9, floor = 1e9;
    int exact = 0, count = 0;
    for (int run = 0; run < kRepeats; ++run) {
        const Clock::time_point start = Clock::now();
        count = SolverFewestPresses(columns, rows, sunk.data(), presses.data(), &exact);
        best = std::min(best, Seconds(start));
        const Clock::time_point floorStart = Clock::now();
        const Grid cleared = Apply(columns, rows, presses);
        floor = std::min(floor, Seconds(floorStart));
        if (count < 0 || cleared != sunk) {
            std::printf("wrong answer on %d x %d\n", columns, rows);
            return;
        }
    }
    figures->worst = std::max(figures->worst, best);
    figures->total += best;
    figures->floor = std::max(figures->floor, floor);
    figures->grids += 1;
    figures->inexact += exact ? 0 : 1;
    figures->presses += count;
}

void Report(const char* name, const Figures& f)
{
    std::printf(
        "%-10s %3d grids  worst %10.1f us  mean %10.1f us  floor %6.1f us  worst/floor %6.0f"
        "  mean presses %7.1f  inexact %d\n",
        name, f.grids, f.worst * 1e6, f.total / f.grids * 1e6, f.floor * 1e6, f.worst / f.floor,
        static_cast<double>(f.presses) / f.grids, f.inexact);
}

}  // namespace

int main()
{
    const int levels[] = {4, 5, 6, 8, 16};
    for (const int side : levels) {
        Figures figures;
        Board* board = BoardCreate(side, side);
        for (uint32_t seed = 1700000000u; seed < 1700000000u + 100; ++seed) {
            BoardScramble(board, 1, seed);
            Grid deal(side * side);
            BoardGetDeal(board, deal.data());
            Measure(side, side, deal, &figures);
        }
        BoardDestroy(board);
        char name[16];
        std::snprintf(name, sizeof name, "%d x %d", side, side);
        Report(name, figures);
    }
    // The largest grids: 128 x 128 (a null space of 2^56, searched within a
    // bound) and 109 x 123, the slowest size whose 2^20 solutions are all
    // looked at.
    std::mt19937 random(1);
    const int large[][3] = {{128, 128, 10}, {109, 123, 3}};
    for (const auto& size : large) {
        Figures figures;
        for (int i = 0; i < size[2]; ++i) {
            Grid presses(size[0] * size[1]);
            for (unsigned char& press : presses) press = random() & 1;
            Measure(size[0], size[1], Apply(size[0], size[1], presses), &figures);
        }
        char name[16];
        std::snprintf(name, sizeof name, "%d x %d", size[0], size[1]);
        Report(name, figures);
    }
    return 0;
}
