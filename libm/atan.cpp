// atan: short odd polynomials below 1/8, a reduction to the nearest of 97
// table points between 1/8 and 8, and pi/2 - atan(1/|x|) above 8. Every path
// takes at most one division and chooses its branch on the high word.
#include "atan_constants.h"
#include "libm_internal.h"
#include "libm_tables.h"

namespace {
using namespace atan_constants;
}  // namespace

extern "C" double __atan(double x) noexcept {
  std::int32_t hx = high_word(x);
  std::int32_t ix = hx & 0x7fffffff;

  if (ix < 0x3f500000) {
    if (ix < 0x3e300000) {
      // atan(x) rounds to x; the sum raises inexact for every non-zero x.
      keep_for_flags(x + big);
      return x;
    }
    double z = x * x;
    if (ix < 0x3f100000) return x + (x * z) * p1;
    return x + (x * z) * (p1 + z * p2);
  }
  if (ix < 0x3fc00000) {
    double z = x * x;
    return x + (z * x) * (p1 + z * (p2 + z * (p3 + z * (p4 + z * (p5 + z * p6)))));
  }

  if (ix < 0x40200000) {
    // Nearest reduction point, half up; 7.875 and above carry into 8.0.
    std::int32_t h = (ix + 0x8000) & 0x7fff0000;
    int k = (h - 0x3fc00000) >> 16;
    double a = with_high_word(x, ix);
    double y = double_from_words(h, 0);
    double s = hx >= 0 ? (a - y) / (one + a * y) : (y - a) / (one + a * y);
    double z = s * s;
    // a differing from y in its low word only leaves |s| < 2^-21: one term suffices.
    double r = ix == h ? s * (one + z * q1) : s * (one + z * (q1 + z * (q2 + z * q3)));
    if (hx >= 0) return (r + __libm_TBL_atan_lo[k]) + __libm_TBL_atan_hi[k];
    return (r - __libm_TBL_atan_lo[k]) - __libm_TBL_atan_hi[k];
  }

  // |x| >= 8: atan(x) = pi/2 - atan(1/|x|); 1/|x| only where it is needed,
  // so huge arguments raise no underflow.
  double r;
  if (ix < 0x40504000) {
    double t = one / with_high_word(x, ix);
    double z = t * t;
    r = t * (one + z * (p1 + z * (p2 + z * (p3 + z * (p4 + z * (p5 + z * p6)))))) - pio2lo;
  } else if (ix < 0x41200000) {
    double t = one / with_high_word(x, ix);
    double z = t * t;
    r = t * (one + z * (q1 + z * (q2 + z * q3))) - pio2lo;
  } else if (ix < 0x43600000) {
    double t = one / with_high_word(x, ix);
    r = t - pio2lo;
  } else {
    if (ix > 0x7ff00000 || (ix == 0x7ff00000 && low_word(x) != 0)) return x - x;
    r = -pio2lo;
  }
  return hx >= 0 ? pio2hi - r : r - pio2hi;
}

LIBM_WEAK_ALIAS(atan, __atan);
