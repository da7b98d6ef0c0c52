// asin: x + x*R(x*x) below 0.5; above it the angle of the half-angle square
// root s = sqrt((1 - |x|)/2), as pi/2 - 2*asin(s), with s split into an exact
// head w and a correction where the cancellation against pi/4 needs it.
#include "asin_acos_constants.h"
#include "libm_internal.h"

namespace {
using namespace asin_acos_constants;
}  // namespace

extern "C" double __asin(double x) noexcept {
  // The words by value (libm_bits.h): on x86-64 the high word is always the second in memory.
  std::int32_t hx = high_word(x);
  std::int32_t ix = hx & 0x7fffffff;

  if (ix >= 0x3ff00000) {
    std::uint32_t lx = low_word(x);
    if (ix == 0x3ff00000 && lx == 0) return x * pio2_hi + x * pio2_lo;
    // NaNs pass through quietly; |x| > 1 is invalid: NaN in IEEE mode, else the handler.
    if (_lib_version == -1 || ix > 0x7ff00000 || (ix == 0x7ff00000 && lx != 0)) return (x - x) / (x - x);
    return __libm_SVID_libm_err(x, x, 2);
  }
  if (ix < 0x3e400000) {
    // asin(x) rounds to x; the sum raises inexact for every non-zero x.
    keep_for_flags(huge + x);
    return x;
  }
  if (ix < 0x3fe00000) {
    double t = x * x;
    return x + x * rational(t);
  }

  // |x| and the sign by the vector unit's masks, not a trip through the integer registers.
  double t = (one - __builtin_fabs(x)) * 0.5;
  double s = hardware_sqrt(t);
  double r;
  if (ix >= 0x3fef3333) {
    r = pio2_hi - (2.0 * (s + s * rational(t)) - pio2_lo);
  } else {
    // w*w is exact; c carries what w leaves out of sqrt(t). The low word is
    // cleared in the vector register.
    double w = pattern_and(s, 0xffffffff00000000ULL);
    double c = (t - w * w) / (s + w);
    double p = 2.0 * s * rational(t) - (pio2_lo - 2.0 * c);
    double q = pio4_hi - 2.0 * w;
    r = pio4_hi - (p - q);
  }
  // r > 0: or-ing in x's sign bit (taken from x while r is computed) gives -r
  // for negative x, without a branch on a random sign.
  return pattern_or(r, double_bits(pattern_and(x, 0x8000000000000000ULL)));
}

LIBM_WEAK_ALIAS(asin, __asin);
