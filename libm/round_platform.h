// Rounding a double to an integral value by roundsd, for ceil, floor and rint,
// in the style of libm_platform.h (x86-64 form, portable form) and to be folded
// into it. Each form gives the value, the sign of zero and the flags of the
// add-and-subtract of 2^52: inexact exactly when the result differs from x,
// invalid and a quiet NaN for a signalling NaN. Only where
// has_round_instruction(); elsewhere the callers keep the add-and-subtract.
#pragma once

#include "libm_platform.h"

#if LIBM_X86_64

// Rounding control up (2), down (1) or the current mode (4); bit 3 stays clear
// so inexact is raised. In place: roundsd keeps the upper half of its
// destination, so a separate destination would wait for its last writer.
inline double integral_upward(double x) {
  asm("roundsd $2, %0, %0" : "+x"(x));
  return x;
}
inline double integral_downward(double x) {
  asm("roundsd $1, %0, %0" : "+x"(x));
  return x;
}
inline double integral_current_mode(double x) {
  asm("roundsd $4, %0, %0" : "+x"(x));
  return x;
}

#else  // portable

#include "integral_by_two52.h"

// Never reached where has_round_instruction() is false; the same operations
// by adding and subtracting 2^52.
inline double integral_upward(double x) { return ceil_by_two52(x); }
inline double integral_downward(double x) { return floor_by_two52(x); }
inline double integral_current_mode(double x) { return rint_by_two52(x); }

#endif
