// The model's own approximations of the standard normal distribution and its inverse. They
// are part of the models' definition: the fitted values depend on them, textbook-exact
// functions would give different numbers.
#pragma once

#include "common/core/real48.h"
#include "pairwise/model/calc_tables.h"

namespace trindel {

// Phi(x) by the three-term polynomial with t = 1 / (1 + 0.3326 x); within about 3.3e-5 of
// the exact function. NormalDistribution(0) = 0.5 to about 1e-7.
Real48 NormalDistribution(Real48 x);

// The four ranges of the inverse, for a proportion mirrored into [0.5, 1): expansions about
// 0 (x <= 0.8), about 1 (up to 0.94) and about 2 (up to 0.994), and the clamp at 3.0 above.
// The bounds are extended reals; x is compared in its six-byte form.
int InverseNormalRange(Real48 x);

// The tolerance the fits pass: 1e-8 on the squared residual, as a six-byte real.
Real48 DeviateTolerance();

// z with Phi(z) = p by Newton steps on the range's expansion, until the squared residual of
// the last step is at most tolerance (that step's correction applied); at least one step.
// A proportion below 0.5 is mirrored and its deviate negated. steps, when given, receives
// the number of Newton steps (0 for the clamp).
Real48 InverseNormalDeviate(Real48 p, Real48 tolerance, int* steps = nullptr);

// z(i, j) = InverseNormalDeviate(p(i, j)) and z(j, i) = -z(i, j) for i < j, z(i, i) = 0:
// antisymmetric, every cell 1..n written. Reads only the cells above the diagonal of p, so
// z may be p itself.
void InverseNormalMatrix(MatrixCells& z, const MatrixCells& p, Real48 tolerance);

}  // namespace trindel
