#ifndef TESSALY_ENGINE_SOLVER_H
#define TESSALY_ENGINE_SOLVER_H

// The shortest way to clear a grid, for any grid from 1 x 1 to 128 x 128.
// Portable: plain bytes in and out, no board record and no window.

// The fewest presses that bring every cell of a columns x rows grid up. sunk: columns*rows bytes,
// row-major, nonzero = sunk. presses: out, columns*rows bytes, 1 = press that cell, 0 = don't.
// Returns the number of presses, or -1 when no set of presses clears the grid (or memory runs out).
// *exact is 1 when no shorter solution exists, 0 when the count is only the best found.
// On -1 every byte of presses is 0 and *exact 0 (exact may be null); a size
// outside 1..128 or a null buffer also gives -1, and then presses is not touched.
int SolverFewestPresses(int columns, int rows, const unsigned char* sunk, unsigned char* presses,
                        int* exact);

// The dimension of the grid's null space: the press sets that change nothing
// number 2 to this power. -1 for a size outside 1..128.
int SolverNullSpaceDimension(int columns, int rows);

// Null spaces up to this dimension are searched through; beyond it the count
// is the best a bounded search finds.
constexpr int kSolverExactDimension = 20;

#endif
