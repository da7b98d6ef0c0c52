// The table-driven kernels of sin, cos and tan, as internal inline definitions:
// the exported kernels (__sin.cpp, __cos.cpp, __tan.cpp) and the wrappers
// (sin.cpp, cos.cpp, tan.cpp) share them, so the wrappers get them inlined.
//
// Precondition of every kernel: |x| < 0.7890625 (high word at most 0x3FE93FFF),
// so the table index stays within 0 .. 74. The wrappers pass |x| <= pi/4 (and
// the doubles above it with the same high word) and the reduction leaves
// |y[0]| <= pi/4 plus a few ulps; neither kernel re-checks it.
#pragma once

#include "libm_internal.h"
#include "libm_tables.h"
#include "trig_constants.h"

// Internal to each unit that includes it: nothing here joins the symbol table.
namespace {
namespace trig_kernel {

// Raises inexact for x != 0.
inline void raise_inexact_unless_zero(double x) { keep_for_flags(huge + x); }

// The tail counts only when its high word without the sign bit is nonzero.
inline bool tail_takes_part(double y) { return (high_word(y) & 0x7fffffff) != 0; }

inline double without_low_word(double x) { return double_from_words(high_word(x), 0); }

// |x| split into the nearest breakpoint (six significant bits) and the offset
// t, with the tail folded in; S ~ sin t, C ~ cos t - 1.
struct table_split {
  int index;
  double S;
  double C;
};

// The breakpoint of |x|, words (high word of |x| + 0x4000) & 0x7fff8000 and 0,
// formed in the vector unit: x goes on to t without a round trip through the
// integer registers. The sign bit cannot take a carry (|x| is finite) and the
// mask clears it.
inline double breakpoint_of(double x) { return pattern_add_and<0x0000400000000000ULL, 0x7fff800000000000ULL>(x); }

inline table_split split_at_breakpoint(std::int32_t hx, std::int32_t ix, double x, double y) {
  const std::int32_t breakpoint_high = (ix + 0x4000) & 0x7fff8000;
  const double xt = breakpoint_of(x);
  // |x| by clearing the sign bit in place: no trip of x through the integer unit.
  double t = __builtin_fabs(x) - xt;
  if (tail_takes_part(y)) t = hx >= 0 ? t + y : t - y;
  const double z = t * t;
  table_split split;
  split.index = (breakpoint_high - 0x3fc40000) >> 15;
  split.C = z * (qq1 + z * qq2);
  split.S = t * (one + z * (pp1 + z * pp2));
  return split;
}

inline double k_sin(double x, double y) {
  const std::int32_t hx = high_word(x);
  const std::int32_t ix = hx & 0x7fffffff;
  if (ix >= 0x3fc90000) {
    const table_split split = split_at_breakpoint(hx, ix, x, y);
    const double sh = __libm_TBL_sin_hi[split.index];
    const double r = __libm_TBL_sin_lo[split.index] + (__libm_TBL_cos_hi[split.index] * split.S + sh * split.C);
    return hx >= 0 ? sh + r : (-sh) - r;
  }
  if (ix < 0x3e400000) {
    raise_inexact_unless_zero(x);
    return x;
  }
  const double z = x * x;
  const double p = ix < 0x3f200000 ? p2 : p2 + z * (p3 + z * p4);
  const double r = x * (z * (p1 + z * p));
  return tail_takes_part(y) ? x + (y + r) : x + r;
}

inline double k_cos(double x, double y) {
  const std::int32_t hx = high_word(x);
  const std::int32_t ix = hx & 0x7fffffff;
  if (ix >= 0x3fc40000) {
    const table_split split = split_at_breakpoint(hx, ix, x, y);
    const double ch = __libm_TBL_cos_hi[split.index];
    return ch + (__libm_TBL_cos_lo[split.index] - (__libm_TBL_sin_hi[split.index] * split.S - ch * split.C));
  }
  if (ix < 0x3e400000) {
    raise_inexact_unless_zero(x);
    return one;
  }
  // Below the table the tail is too small to matter.
  const double z = x * x;
  const double p = ix < 0x3f200000 ? q2 : q2 + z * (q3 + z * q4);
  return one + z * (q1 + z * p);
}

// tan(x + y) for k = 0, -1/tan(x + y) otherwise; the quotients are corrected
// by one step from the head of the reciprocal.
inline double k_tan(double x, double y, int k) {
  const std::int32_t hx = high_word(x);
  const std::int32_t ix = hx & 0x7fffffff;
  if (ix >= 0x3fc40000) {
    const table_split split = split_at_breakpoint(hx, ix, x, y);
    const double th = __libm_TBL_tan_hi[split.index];
    const double tl = __libm_TBL_tan_lo[split.index];
    const double S = split.S;
    const double C = split.C;
    if (k == 0) {
      // tan(a + t) - tan a = sin t (1 + tan^2 a) / (cos t - tan a sin t)
      const double u = th * S;
      const double r = tl + ((S + th * u) / (one - (u - C)));
      return hx >= 0 ? th + r : (-th) - r;
    }
    double g = tl + (S + th * C);
    const double e = th * S - C;
    double h;
    if (hx >= 0) {
      h = -th;
      g = -g;
    } else {
      h = th;
    }
    const double w = h + g;
    const double d = one - e;
    const double a = one / w;
    const double w_hi = without_low_word(w);
    const double v = (h - w_hi) + g;
    const double q_hi = without_low_word(d * a);
    return q_hi + a * (((one - q_hi * w_hi) - e) - q_hi * v);
  }
  if (ix < 0x3e400000) {
    if (k == 0) {
      raise_inexact_unless_zero(x);
      return x;
    }
    const double a = negone / x;
    // At the pole (x = ±0, or so small that -1/x overflows) the correction
    // would form 0 * inf; the infinity of the division is the answer.
    if ((high_word(a) & 0x7fffffff) >= 0x7ff00000) return a;
    const double x_hi = without_low_word(x);
    const double v = (x - x_hi) + y;
    const double t = without_low_word(a);
    return t + a * ((one + x_hi * t) + v * t);
  }
  const double z = x * x;
  const double p = ix < 0x3f200000 ? t1 + z * t2 : t1 + z * (t2 + z * (t3 + z * (t4 + z * (t5 + z * t6))));
  double r = x * (z * p);
  if (tail_takes_part(y)) r = y + r;
  const double w = x + r;
  if (k == 0) return w;
  const double a = negone / w;
  const double w_hi = without_low_word(w);
  const double v = (x - w_hi) + r;
  const double t = without_low_word(a);
  return t + a * ((one + t * w_hi) + t * v);
}

}  // namespace trig_kernel
}  // namespace
