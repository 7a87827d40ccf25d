// The matrix and vector of the paired-comparison models: 150 x 150 and 150 six-byte reals,
// indexed from 1 (index 0 unused), only rows and columns 1..n of a run in use.
#pragma once

#include <array>

#include "common/core/real48.h"
#include "pairwise/model/workspace.h"

namespace trindel {

// The cells of a model matrix, the same type as the workspace's preference counts, so that
// a routine takes either.
using MatrixCells = Real48[MaxRunItems + 1][MaxRunItems + 1];

struct CalcMatrix {
    MatrixCells Cells;

    Real48* operator[](int i) { return Cells[i]; }
    const Real48* operator[](int i) const { return Cells[i]; }
    operator MatrixCells&() { return Cells; }              // NOLINT: passes where cells are asked for
    operator const MatrixCells&() const { return Cells; }  // NOLINT
};

using CalcVector = std::array<Real48, MaxRunItems + 1>;

// The draws of one simulated data set are items by experts in a model matrix.
static_assert(MaxRunExperts <= MaxRunItems);

}  // namespace trindel
