// atan2: the special operands and the quadrant resolved here, the angle of
// |y|/|x| from __atan, corrected by pi with its low part in the left half-plane.
#include "atan2_constants.h"
#include "libm_internal.h"

namespace {
using namespace atan2_constants;

bool is_nan(std::int32_t ix, std::uint32_t lx) { return ix > 0x7ff00000 || (ix == 0x7ff00000 && lx != 0); }

// Unbiased exponent of the non-zero finite |v| (high word iv); a subnormal
// is scaled into the normal range first so that it gets its true exponent.
int true_exponent(double v, std::int32_t iv) {
  if (iv >= 0x00100000) return (iv >> 20) - 1023;
  return ((high_word(v * two54) & 0x7fffffff) >> 20) - 1023 - 54;
}
}  // namespace

extern "C" double __atan2(double y, double x) noexcept {
  std::int32_t hx = high_word(x);
  std::int32_t ix = hx & 0x7fffffff;
  std::uint32_t lx = low_word(x);
  std::int32_t hy = high_word(y);
  std::int32_t iy = hy & 0x7fffffff;
  std::uint32_t ly = low_word(y);

  if (is_nan(ix, lx) || is_nan(iy, ly)) return x + y;
  if (hx == 0x3ff00000 && lx == 0) return __atan(y);

  int m = ((hx >> 31) & 2) | ((hy >> 31) & 1);

  if ((iy | static_cast<std::int32_t>(ly)) == 0) {
    if ((ix | static_cast<std::int32_t>(lx)) == 0) return __libm_SVID_libm_err(x, y, 3);
    switch (m) {
      case 0:
      case 1: return y;
      case 2: return PI + tiny;
      default: return -PI - tiny;
    }
  }
  if ((ix | static_cast<std::int32_t>(lx)) == 0) return hy < 0 ? -PIo2 - tiny : PIo2 + tiny;

  if (ix == 0x7ff00000) {
    if (iy == 0x7ff00000) {
      switch (m) {
        case 0: return PIo4;
        case 1: return -PIo4;
        case 2: return PIo4 * 3.0;
        default: return PIo4 * -3.0;
      }
    }
    switch (m) {
      case 0: return zero;
      case 1: return -zero;
      case 2: return PI + tiny;
      default: return -PI - tiny;
    }
  }
  if (iy == 0x7ff00000) return hy < 0 ? -PIo2 - tiny : PIo2 + tiny;

  int k = true_exponent(y, iy) - true_exponent(x, ix);
  double z;
  if (k > 60) {
    z = PIo2 + 0.5 * PI_lo;
  } else if (hx < 0 && k < -60) {
    z = 0.0;
  } else {
    // Magnitudes by the vector unit's mask, not through the integer registers.
    z = __atan(__builtin_fabs(y) / __builtin_fabs(x));
  }
  // z >= 0, so m = 1's flipped sign is y's sign: no branch on it.
  if (m < 2) return __builtin_copysign(z, y);
  return m == 2 ? PI - (z - PI_lo) : (z - PI_lo) - PI;
}

LIBM_WEAK_ALIAS(atan2, __atan2);
