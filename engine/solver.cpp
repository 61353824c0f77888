#include "engine/solver.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

// A press set clears the grid when, over GF(2), every cell is flipped as
// often as it is sunk. Light chasing fixes every press below the first row
// once the first row is chosen, so the whole problem shrinks to a system in
// the first row's presses: the last row must end raised. Its solutions are
// one press set plus any member of the null space (the press sets that change
// nothing); the fewest presses is the lightest of them.

namespace {

constexpr int kMaxSide = 128;

// Null spaces beyond kSolverExactDimension are searched in blocks of this
// many basis patterns, each block through all its combinations.
constexpr int kBlock = kSolverExactDimension;

// What the bounded search may spend (see CombinationCost): some 25 ms on
// 128 x 128 in an optimised build (tools/solver_bench.sh); twice as much buys
// a twentieth of a percent fewer presses. Counting work rather than reading a
// clock keeps the answer the same from run to run.
constexpr int64_t kSearchBudget = int64_t{1} << 26;

static_assert(kSolverExactDimension < 31 && kBlock <= kSolverExactDimension,
              "combinations fit an unsigned 32-bit mask, blocks the table of sums");

// ---- Rows of up to 128 cells ------------------------------------------------

struct Row {
    uint64_t lo;  // cells 0..63
    uint64_t hi;  // cells 64..127
};

Row RowXor(Row a, Row b)
{
    return Row{a.lo ^ b.lo, a.hi ^ b.hi};
}

int RowBit(Row row, int x)
{
    return static_cast<int>((x < 64 ? row.lo >> x : row.hi >> (x - 64)) & 1u);
}

void RowSet(Row* row, int x)
{
    if (x < 64) {
        row->lo |= uint64_t{1} << x;
    } else {
        row->hi |= uint64_t{1} << (x - 64);
    }
}

Row RowOne(int x)
{
    Row row = {0, 0};
    RowSet(&row, x);
    return row;
}

Row RowMask(int width)
{
    const uint64_t all = ~uint64_t{0};
    return Row{width >= 64 ? all : (uint64_t{1} << width) - 1,
               width >= 128 ? all
               : width > 64 ? (uint64_t{1} << (width - 64)) - 1
                            : 0};
}

// What presses on the set cells of a row do to that row itself: each flips
// its cell and the cells left and right of it.
Row Spread(Row presses, Row mask)
{
    const Row left = {presses.lo << 1, (presses.hi << 1) | (presses.lo >> 63)};
    const Row right = {(presses.lo >> 1) | (presses.hi << 63), presses.hi >> 1};
    return Row{(presses.lo ^ left.lo ^ right.lo) & mask.lo,
               (presses.hi ^ left.hi ^ right.hi) & mask.hi};
}

// ---- Whole press sets: patterns of one bit per cell, 64 cells a word ---------

int PatternBit(const uint64_t* pattern, int cell)
{
    return static_cast<int>((pattern[cell / 64] >> (cell % 64)) & 1u);
}

int PatternWeight(const uint64_t* pattern, int words)
{
    int weight = 0;
    for (int w = 0; w < words; ++w) {
        weight += __builtin_popcountll(pattern[w]);
    }
    return weight;
}

void PatternXor(uint64_t* pattern, const uint64_t* other, int words)
{
    for (int w = 0; w < words; ++w) {
        pattern[w] ^= other[w];
    }
}

// Sets the cells of `row` that lie `offset` cells into the pattern.
void PatternAddRow(uint64_t* pattern, int offset, Row row)
{
    const uint64_t halves[2] = {row.lo, row.hi};
    for (int half = 0; half < 2; ++half) {
        for (uint64_t bits = halves[half]; bits; bits &= bits - 1) {
            const int cell = offset + half * 64 + __builtin_ctzll(bits);
            pattern[cell / 64] |= uint64_t{1} << (cell % 64);
        }
    }
}

// ---- The grid as the chase walks it -----------------------------------------

// The chase runs along the longer side, so that the system has as few
// unknowns as the shorter side has cells.
struct Shape {
    int columns;
    int rows;
    int width;   // cells in a chased row: the shorter side
    int height;  // chased rows: the longer side
    int transposed;
    Row mask;
};

Shape MakeShape(int columns, int rows)
{
    Shape shape;
    shape.columns = columns;
    shape.rows = rows;
    shape.transposed = columns > rows;
    shape.width = shape.transposed ? rows : columns;
    shape.height = shape.transposed ? columns : rows;
    shape.mask = RowMask(shape.width);
    return shape;
}

// Cell i of the caller's row-major grid in the chase's row-major order.
int ChaseIndex(const Shape& shape, int i)
{
    const int column = i % shape.columns;
    const int row = i / shape.columns;
    return shape.transposed ? column * shape.width + row : row * shape.width + column;
}

int ValidSize(int columns, int rows)
{
    return columns >= 1 && columns <= kMaxSide && rows >= 1 && rows <= kMaxSide;
}

// The caller's row-major bytes as chased rows: grid[y] holds chased row y.
void LoadGrid(const Shape& shape, const unsigned char* sunk, Row* grid)
{
    memset(grid, 0, static_cast<size_t>(shape.height) * sizeof *grid);
    for (int i = 0; i < shape.columns * shape.rows; ++i) {
        if (sunk[i]) {
            const int at = ChaseIndex(shape, i);
            RowSet(&grid[at / shape.width], at % shape.width);
        }
    }
}

// A pattern back in the caller's row-major bytes, 1 = press.
void StorePresses(const Shape& shape, const uint64_t* pattern, unsigned char* presses)
{
    for (int i = 0; i < shape.columns * shape.rows; ++i) {
        presses[i] = static_cast<unsigned char>(PatternBit(pattern, ChaseIndex(shape, i)));
    }
}

// Presses the given first row, then under every cell each row leaves sunk,
// which clears every row but the last; returns the last row as it ends.
// sunk null stands for an all-raised grid; pattern, when given, collects the
// presses.
Row Chase(const Shape& shape, const Row* sunk, Row first, uint64_t* pattern)
{
    Row above = {0, 0};
    Row presses = first;
    for (int y = 0;; ++y) {
        if (pattern) {
            PatternAddRow(pattern, y * shape.width, presses);
        }
        Row state = RowXor(above, Spread(presses, shape.mask));
        if (sunk) {
            state = RowXor(state, sunk[y]);
        }
        if (y == shape.height - 1) {
            return state;
        }
        above = presses;
        presses = state;
    }
}

// ---- The system in the first row's presses ----------------------------------

struct System {
    int width;
    Row lhs[kMaxSide];            // equation j: the first-row presses that flip last-row cell j
    unsigned char rhs[kMaxSide];  // 1 when last-row cell j ends sunk without first-row presses
    int pivotRow[kMaxSide];       // per unknown: its equation after elimination, -1 when free
    int rank;
};

// The chase is affine in the first row: each unknown's own effect on the last
// row, plus what the grid does with no first-row press. sunk null gives the
// homogeneous system.
void BuildSystem(const Shape& shape, const Row* sunk, System* system)
{
    memset(system, 0, sizeof *system);
    system->width = shape.width;
    for (int i = 0; i < shape.width; ++i) {
        const Row last = Chase(shape, nullptr, RowOne(i), nullptr);
        for (int j = 0; j < shape.width; ++j) {
            if (RowBit(last, j)) {
                RowSet(&system->lhs[j], i);
            }
        }
    }
    if (sunk) {
        const Row last = Chase(shape, sunk, Row{0, 0}, nullptr);
        for (int j = 0; j < shape.width; ++j) {
            system->rhs[j] = static_cast<unsigned char>(RowBit(last, j));
        }
    }
}

// Gauss-Jordan: every pivot column ends with a single equation holding it.
void Eliminate(System* system)
{
    int rank = 0;
    for (int column = 0; column < system->width; ++column) {
        int found = -1;
        for (int j = rank; j < system->width && found < 0; ++j) {
            if (RowBit(system->lhs[j], column)) {
                found = j;
            }
        }
        system->pivotRow[column] = found < 0 ? -1 : rank;
        if (found < 0) {
            continue;
        }
        const Row lhs = system->lhs[found];
        const unsigned char rhs = system->rhs[found];
        system->lhs[found] = system->lhs[rank];
        system->rhs[found] = system->rhs[rank];
        system->lhs[rank] = lhs;
        system->rhs[rank] = rhs;
        for (int j = 0; j < system->width; ++j) {
            if (j != rank && RowBit(system->lhs[j], column)) {
                system->lhs[j] = RowXor(system->lhs[j], lhs);
                system->rhs[j] ^= rhs;
            }
        }
        ++rank;
    }
    system->rank = rank;
}

// The equations past the rank have no unknowns left: any of them that still
// asks for a flip cannot be met.
int Consistent(const System& system)
{
    for (int j = system.rank; j < system.width; ++j) {
        if (system.rhs[j]) {
            return 0;
        }
    }
    return 1;
}

// One solution: every free unknown 0.
Row ParticularSolution(const System& system)
{
    Row first = {0, 0};
    for (int column = 0; column < system.width; ++column) {
        const int j = system.pivotRow[column];
        if (j >= 0 && system.rhs[j]) {
            RowSet(&first, column);
        }
    }
    return first;
}

// One null-space member per free unknown; returns how many.
int NullBasis(const System& system, Row* basis)
{
    int count = 0;
    for (int unknown = 0; unknown < system.width; ++unknown) {
        if (system.pivotRow[unknown] >= 0) {
            continue;
        }
        Row first = RowOne(unknown);
        for (int column = 0; column < system.width; ++column) {
            const int j = system.pivotRow[column];
            if (j >= 0 && RowBit(system.lhs[j], unknown)) {
                RowSet(&first, column);
            }
        }
        basis[count++] = first;
    }
    return count;
}

// ---- Searching the solutions --------------------------------------------------

// Whole press sets as patterns in the chase's order: the current solution
// and the null-space basis.
struct Search {
    int cells;
    int words;  // per pattern
    int count;  // basis patterns
    uint64_t* current;
    uint64_t* basis;  // count patterns, one after another
    int32_t* sums;    // one per combination of the patterns weighed at once
    int64_t budget;   // what the bounded search may still spend
    void* block;      // the one allocation behind the three arrays
};

uint64_t* Basis(const Search* search, int i)
{
    return search->basis + static_cast<size_t>(i) * static_cast<size_t>(search->words);
}

int SearchStart(Search* search, int cells, int count)
{
    search->cells = cells;
    search->words = (cells + 63) / 64;
    search->count = count;
    const size_t patternBytes = static_cast<size_t>(search->words) * sizeof(uint64_t);
    const int weighed = count < kSolverExactDimension ? count : kSolverExactDimension;
    const size_t bytes =
        (static_cast<size_t>(count) + 1) * patternBytes + (size_t{1} << weighed) * sizeof(int32_t);
    void* block = malloc(bytes);
    if (!block) {
        return 0;
    }
    memset(block, 0, bytes);  // the chase only adds presses to its patterns
    search->block = block;
    search->current = static_cast<uint64_t*>(block);
    search->basis = search->current + search->words;
    search->sums = reinterpret_cast<int32_t*>(Basis(search, count));
    search->budget = kSearchBudget;
    return 1;
}

void SearchEnd(Search* search)
{
    free(search->block);
}

// The cost of weighing every combination of n patterns, in the budget's units.
int64_t CombinationCost(const Search* search, int n)
{
    return (int64_t{n} << n) + static_cast<int64_t>(n) * search->cells;
}

// Weighs current plus every combination of basis patterns first..first+n-1
// and moves current to the lightest; returns its weight. A cell that current
// presses counts -1, one it leaves +1; cells are summed per signature (which
// of the n patterns press them), and a Walsh-Hadamard transform of those sums
// gives, for every combination at once, cells minus twice its weight. That is
// n 2^n additions instead of 2^n passes over the whole grid.
int LightestCombination(Search* search, int first, int n)
{
    int32_t* sums = search->sums;
    const uint32_t size = uint32_t{1} << n;
    memset(sums, 0, size * sizeof *sums);
    for (int w = 0; w < search->words; ++w) {
        uint32_t signature[64] = {0};
        for (int i = 0; i < n; ++i) {
            for (uint64_t bits = Basis(search, first + i)[w]; bits; bits &= bits - 1) {
                signature[__builtin_ctzll(bits)] |= uint32_t{1} << i;
            }
        }
        const int inWord = search->cells - w * 64 < 64 ? search->cells - w * 64 : 64;
        for (int b = 0; b < inWord; ++b) {
            sums[signature[b]] += ((search->current[w] >> b) & 1u) ? -1 : 1;
        }
    }
    for (uint32_t half = 1; half < size; half <<= 1) {
        for (uint32_t at = 0; at < size; at += 2 * half) {
            for (uint32_t j = at; j < at + half; ++j) {
                const int32_t a = sums[j];
                const int32_t b = sums[j + half];
                sums[j] = a + b;
                sums[j + half] = a - b;
            }
        }
    }
    // The first of equals: current itself (combination 0) wins a tie.
    uint32_t best = 0;
    for (uint32_t mask = 1; mask < size; ++mask) {
        if (sums[mask] > sums[best]) {
            best = mask;
        }
    }
    for (uint32_t change = best; change; change &= change - 1) {
        PatternXor(search->current, Basis(search, first + __builtin_ctz(change)), search->words);
    }
    search->budget -= CombinationCost(search, n);
    return (search->cells - sums[best]) / 2;
}

// Brings the basis to a form with one pivot cell per pattern, the first cells
// any pattern presses, and current to the one solution that presses no pivot:
// a solution of a few presses lies among the combinations of a few patterns.
void Reduce(Search* search)
{
    const int words = search->words;
    int row = 0;
    for (int cell = 0; cell < search->cells && row < search->count; ++cell) {
        int found = -1;
        for (int i = row; i < search->count && found < 0; ++i) {
            if (PatternBit(Basis(search, i), cell)) {
                found = i;
            }
        }
        if (found < 0) {
            continue;
        }
        if (found != row) {
            PatternXor(Basis(search, row), Basis(search, found), words);  // row gains the pivot
        }
        uint64_t* pivot = Basis(search, row);
        for (int i = 0; i < search->count; ++i) {
            if (i != row && PatternBit(Basis(search, i), cell)) {
                PatternXor(Basis(search, i), pivot, words);
            }
        }
        if (PatternBit(search->current, cell)) {
            PatternXor(search->current, pivot, words);
        }
        search->budget -= static_cast<int64_t>(search->count) * words;
        ++row;
    }
}

// Null spaces too large to look at whole: reduce, then weigh block after
// block of the basis, each block's combinations on top of the best so far,
// until a whole round finds nothing lighter or the budget would not cover the
// next block. Trying more pivot orders bought nothing measurable.
int SearchBounded(Search* search)
{
    Reduce(search);
    int weight = PatternWeight(search->current, search->words);
    for (;;) {
        int improved = 0;
        for (int first = 0; first < search->count; first += kBlock) {
            const int n = search->count - first < kBlock ? search->count - first : kBlock;
            if (CombinationCost(search, n) > search->budget) {
                return weight;
            }
            const int found = LightestCombination(search, first, n);
            if (found < weight) {
                weight = found;
                improved = 1;
            }
        }
        if (!improved) {
            return weight;
        }
    }
}

}  // namespace

int SolverFewestPresses(int columns, int rows, const unsigned char* sunk, unsigned char* presses,
                        int* exact)
{
    if (exact) {
        *exact = 0;
    }
    if (!ValidSize(columns, rows) || !sunk || !presses) {
        return -1;
    }
    const int cells = columns * rows;
    memset(presses, 0, static_cast<size_t>(cells));
    const Shape shape = MakeShape(columns, rows);
    Row grid[kMaxSide];
    LoadGrid(shape, sunk, grid);

    System system;
    BuildSystem(shape, grid, &system);
    Eliminate(&system);
    if (!Consistent(system)) {
        return -1;
    }
    Row nullRows[kMaxSide];
    const int count = NullBasis(system, nullRows);

    Search search;
    if (!SearchStart(&search, cells, count)) {
        return -1;
    }
    Chase(shape, grid, ParticularSolution(system), search.current);
    for (int i = 0; i < count; ++i) {
        Chase(shape, nullptr, nullRows[i], Basis(&search, i));
    }
    const int exhaustive = count <= kSolverExactDimension;
    const int weight = exhaustive ? LightestCombination(&search, 0, count) : SearchBounded(&search);
    StorePresses(shape, search.current, presses);
    SearchEnd(&search);
    if (exact) {
        *exact = exhaustive;
    }
    return weight;
}

int SolverNullSpaceDimension(int columns, int rows)
{
    if (!ValidSize(columns, rows)) {
        return -1;
    }
    const Shape shape = MakeShape(columns, rows);
    System system;
    BuildSystem(shape, nullptr, &system);
    Eliminate(&system);
    return shape.width - system.rank;
}
