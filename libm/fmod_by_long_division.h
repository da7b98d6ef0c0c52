// fmod by long division of the significands, one bit per step, in 32-bit word
// pairs with carry: the original algorithm, kept as the oracle the library's
// fmod is held to bit for bit and flag for flag.
#pragma once

#include <cstdint>

#include "korvel_math.h"
#include "libm_bits.h"

// Internal to each unit that includes it: nothing here joins the symbol table.
namespace {
namespace fmod_by_long_division_constants {
constexpr double two110 = double_from_bits(0x46d0000000000000ULL);
constexpr double twom110 = double_from_bits(0x3910000000000000ULL);
}  // namespace fmod_by_long_division_constants

// One step on the significand pair (hi, lo): subtract my from mx when it fits,
// then double mx. True when the subtraction leaves nothing.
inline bool long_division_step(std::uint32_t& mx_hi, std::uint32_t& mx_lo, std::uint32_t my_hi,
                               std::uint32_t my_lo) {
  if (mx_hi > my_hi || (mx_hi == my_hi && mx_lo >= my_lo)) {
    mx_hi = mx_hi - my_hi - (mx_lo < my_lo ? 1U : 0U);
    mx_lo = mx_lo - my_lo;
  }
  if ((mx_hi | mx_lo) == 0) return true;
  mx_hi = (mx_hi << 1) | (mx_lo >> 31);
  mx_lo <<= 1;
  return false;
}

inline double fmod_by_long_division(double x, double y) {
  using namespace fmod_by_long_division_constants;
  const std::int32_t hx = high_word(x);
  const std::int32_t ix = hx & 0x7fffffff;
  const std::uint32_t lx = low_word(x);
  const std::int32_t iy = high_word(y) & 0x7fffffff;
  const std::uint32_t ly = low_word(y);
  const double signed_zero = double_from_words(hx & static_cast<std::int32_t>(0x80000000), 0);

  const bool y_zero = (static_cast<std::uint32_t>(iy) | ly) == 0;
  const bool y_nan = iy > 0x7ff00000 || (iy == 0x7ff00000 && ly != 0);
  if (ix >= 0x7ff00000 || y_zero || y_nan) {
    if (y_zero) return __libm_SVID_libm_err(x, y, 27);
    return (x * y) / (x * y);
  }
  if (iy == 0x7ff00000) return x;

  if (ix < iy || (ix == iy && lx < ly)) return x;
  if (ix == iy && lx == ly) return signed_zero;

  if (iy < 0x03600000) {
    const double scaled_y = with_high_word(y, iy) * two110;
    const double t = fmod_by_long_division(x, scaled_y);
    const double u = fmod_by_long_division(t * two110, scaled_y);
    return u * twom110;
  }

  // n >> 2 passes of four steps, then n & 3 single steps.
  const int n = (ix >> 20) - (iy >> 20);
  int e = iy >> 20;
  std::uint32_t mx_hi = static_cast<std::uint32_t>((ix & 0x000fffff) | 0x00100000);
  std::uint32_t mx_lo = lx;
  const std::uint32_t my_hi = static_cast<std::uint32_t>((iy & 0x000fffff) | 0x00100000);
  const std::uint32_t my_lo = ly;
  for (int pass = n >> 2; pass > 0; --pass) {
    if (long_division_step(mx_hi, mx_lo, my_hi, my_lo) || long_division_step(mx_hi, mx_lo, my_hi, my_lo) ||
        long_division_step(mx_hi, mx_lo, my_hi, my_lo) || long_division_step(mx_hi, mx_lo, my_hi, my_lo))
      return signed_zero;
  }
  for (int step = n & 3; step > 0; --step) {
    if (long_division_step(mx_hi, mx_lo, my_hi, my_lo)) return signed_zero;
  }

  // Last subtraction, without the doubling.
  if (mx_hi > my_hi || (mx_hi == my_hi && mx_lo >= my_lo)) {
    mx_hi = mx_hi - my_hi - (mx_lo < my_lo ? 1U : 0U);
    mx_lo = mx_lo - my_lo;
  }
  if ((mx_hi | mx_lo) == 0) return signed_zero;

  while ((mx_hi & 0x00100000) == 0) {
    mx_hi = (mx_hi << 1) | (mx_lo >> 31);
    mx_lo <<= 1;
    --e;
  }
  const std::int32_t high = (hx & static_cast<std::int32_t>(0x80000000)) | (e << 20) |
                            static_cast<std::int32_t>(mx_hi & 0x000fffff);
  return double_from_words(high, mx_lo);
}

}  // namespace
