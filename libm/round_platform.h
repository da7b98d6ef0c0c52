// Rounding a double to an integral value by the processor's own instruction
// (x86-64 SSE4.1 roundsd), for ceil, floor and rint. Each form gives the value,
// the sign of zero and the flags of the add-and-subtract of 2^52: inexact
// exactly when the result differs from x, invalid and a quiet NaN for a
// signalling NaN. Elsewhere no instruction is offered and the callers keep
// the add-and-subtract.
#pragma once

#if defined(__x86_64__) && !defined(KORVEL_PORTABLE)

// True when the processor has SSE4.1: one load and test of the feature word
// the runtime fills at start-up. Read before that, it is false, and the
// add-and-subtract gives the same result.
inline bool processor_rounds_to_integral() { return __builtin_cpu_supports("sse4.1"); }

// roundsd with rounding control up (2), down (1) or the current mode (4);
// bit 3 stays clear so inexact is raised. In place: roundsd keeps the upper
// half of its destination, so a separate destination would wait for its
// last writer.
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

#else

#include "integral_by_two52.h"

inline bool processor_rounds_to_integral() { return false; }

// No rounding instruction: the same operations by adding and subtracting 2^52.
inline double integral_upward(double x) { return ceil_by_two52(x); }
inline double integral_downward(double x) { return floor_by_two52(x); }
inline double integral_current_mode(double x) { return rint_by_two52(x); }

#endif
