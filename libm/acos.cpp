// acos: pi/2 - asin(x) below 0.5 with the same rational R; above it twice the
// angle of the half-angle square root sqrt((1 -+ x)/2), split into an exact
// head and a correction for x >= 0.5 where the result is small.
#include "asin_acos_constants.h"
#include "libm_internal.h"

namespace {
using namespace asin_acos_constants;
}  // namespace

extern "C" double __acos(double x) noexcept {
  // The words by value (libm_bits.h): on x86-64 the high word is always the second in memory.
  std::int32_t hx = high_word(x);
  std::int32_t ix = hx & 0x7fffffff;

  if (ix >= 0x3ff00000) {
    std::uint32_t lx = low_word(x);
    if (ix == 0x3ff00000 && lx == 0) return hx > 0 ? 0.0 : PI + 2.0 * pio2_lo;
    // NaNs pass through quietly; |x| > 1 is invalid: NaN in IEEE mode, else the handler.
    if (_lib_version == -1 || ix > 0x7ff00000 || (ix == 0x7ff00000 && lx != 0)) return (x - x) / (x - x);
    return __libm_SVID_libm_err(x, x, 1);
  }
  // Up to 2^-57 (high word only) acos(x) rounds to pi/2.
  if (ix <= 0x3c600000) return pio2_hi + pio2_lo;
  if (ix < 0x3fe00000) {
    double z = x * x;
    return pio2_hi - (x - (pio2_lo - x * rational(z)));
  }
  if (hx < 0) {
    double z = (one + x) * 0.5;
    double s = hardware_sqrt(z);
    double w = rational(z) * s - pio2_lo;
    return PI - 2.0 * (s + w);
  }
  // d*d is exact; c carries what d leaves out of sqrt(z).
  double z = (one - x) * 0.5;
  double s = hardware_sqrt(z);
  double d = with_low_word(s, 0);
  double c = (z - d * d) / (s + d);
  double w = rational(z) * s + c;
  return 2.0 * (d + w);
}

LIBM_WEAK_ALIAS(acos, __acos);
