// The divisions, logarithms and roots of the paired-comparison models that bad data can
// reach. Each raises the calculation error the run reports instead of leaving an infinity or
// a NaN in the results (the six-byte store then catches overflow).
#pragma once

// b = 0: "Zero divide", or "Invalid floating point operation" for 0/0; a NaN operand is
// an invalid operation.
long double CheckedDivide(long double a, long double b);

// x = 0: "Zero divide"; x < 0 or NaN: "Invalid floating point operation".
long double CheckedLn(long double x);

// x < 0 or NaN: "Invalid floating point operation". The root of -0 is 0.
long double CheckedSqrt(long double x);
