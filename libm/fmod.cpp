// fmod: the exact remainder of x / y with the sign of x, by long division of
// the significands in 32-bit word pairs; no floating-point operation on the
// division path.
#include "libm_internal.h"

namespace {
constexpr double two110 = double_from_bits(0x46d0000000000000ULL);
constexpr double twom110 = double_from_bits(0x3910000000000000ULL);

inline double signed_zero(std::int32_t hx) {
  return double_from_words(hx & static_cast<std::int32_t>(0x80000000), 0);
}
}  // namespace

extern "C" double __fmod(double x, double y) noexcept {
  std::int32_t hx = high_word(x);
  std::int32_t ix = hx & 0x7fffffff;
  std::uint32_t lx = low_word(x);
  std::int32_t iy = high_word(y) & 0x7fffffff;
  std::uint32_t ly = low_word(y);

  bool y_zero = (static_cast<std::uint32_t>(iy) | ly) == 0;
  bool y_nan = iy > 0x7ff00000 || (iy == 0x7ff00000 && ly != 0);
  if (ix >= 0x7ff00000 || y_zero || y_nan) {
    if (y_zero) return __libm_SVID_libm_err(x, y, 27);
    // A NaN, raising invalid unless an operand is a quiet NaN already.
    return (x * y) / (x * y);
  }
  if (iy == 0x7ff00000) return x;

  if (ix < iy || (ix == iy && lx < ly)) return x;
  if (ix == iy && lx == ly) return signed_zero(hx);

  if (iy < 0x03600000) {
    // Subnormal or tiny y: scale it up by 2^110, reduce twice, scale back; all exact.
    double ay = with_high_word(y, iy);
    double scaled_y = ay * two110;
    double t = __fmod(x, scaled_y);
    double u = __fmod(t * two110, scaled_y);
    return u * twom110;
  }

  // Both normal and |x| > |y|.
  int n = (ix >> 20) - (iy >> 20);
  int e = iy >> 20;
  std::uint32_t mx_hi = static_cast<std::uint32_t>((ix & 0x000fffff) | 0x00100000);
  std::uint32_t mx_lo = lx;
  std::uint32_t my_hi = static_cast<std::uint32_t>((iy & 0x000fffff) | 0x00100000);
  std::uint32_t my_lo = ly;

  for (int pass = n >> 2; pass > 0; --pass) {
    if (division_step(mx_hi, mx_lo, my_hi, my_lo) || division_step(mx_hi, mx_lo, my_hi, my_lo) ||
        division_step(mx_hi, mx_lo, my_hi, my_lo) || division_step(mx_hi, mx_lo, my_hi, my_lo))
      return signed_zero(hx);
  }
  for (int step = n & 3; step > 0; --step) {
    if (division_step(mx_hi, mx_lo, my_hi, my_lo)) return signed_zero(hx);
  }

  // Last subtraction, without the doubling.
  if (mx_hi > my_hi || (mx_hi == my_hi && mx_lo >= my_lo)) {
    mx_hi = mx_hi - my_hi - (mx_lo < my_lo ? 1U : 0U);
    mx_lo = mx_lo - my_lo;
  }
  if ((mx_hi | mx_lo) == 0) return signed_zero(hx);

  while ((mx_hi & 0x00100000) == 0) {
    mx_hi = (mx_hi << 1) | (mx_lo >> 31);
    mx_lo <<= 1;
    --e;
  }
  std::int32_t high = (hx & static_cast<std::int32_t>(0x80000000)) | (e << 20) |
                      static_cast<std::int32_t>(mx_hi & 0x000fffff);
  return double_from_words(high, mx_lo);
}

LIBM_WEAK_ALIAS(fmod, __fmod);
