// remainder: x - n*y with n the integer nearest x/y (ties to even), reduced
// with __fmod and corrected by at most two exact subtractions.
#include "libm_internal.h"

namespace {
constexpr double zero = double_from_bits(0x0000000000000000ULL);
constexpr double half = double_from_bits(0x3fe0000000000000ULL);
}  // namespace

extern "C" double __remainder(double x, double y) noexcept {
  // The magnitudes twice: as integers for the tests, in the vector registers
  // for the arithmetic, without a round trip between the two.
  constexpr std::uint64_t magnitude = 0x7fffffffffffffffULL;
  constexpr std::uint64_t infinity_bits = 0x7ff0000000000000ULL;
  const std::uint64_t ix = double_bits(x) & magnitude;
  const std::uint64_t iy = double_bits(y) & magnitude;
  double ax = pattern_and(x, magnitude);
  double ay = pattern_and(y, magnitude);

  // x or y a NaN, x infinite, y zero.
  if (ix >= infinity_bits || iy > infinity_bits || iy == 0) {
    if (iy == 0) return __libm_SVID_libm_err(ax, ay, 28);
    return __fmod(x, ay);
  }

  // 2*|y| is finite here, so x can be brought below it first.
  if (ix >= iy && iy < 0x7fe0000000000000ULL) ax = __fmod(ax, ay + ay);

  double r;
  if (iy < 0x0020000000000000ULL) {
    // Tiny y: halving it could round, doubling ax cannot overflow.
    if (double_bits(ax) == double_bits(ay)) {
      r = zero;
    } else if (ax + ax <= ay) {
      r = ax;
    } else {
      ax = ax - ay;
      r = (ax + ax < ay) ? ax : ax - ay;
    }
  } else {
    double h = half * ay;
    if (double_bits(ax) == double_bits(ay)) {
      r = zero;
    } else if (ax <= h) {
      r = ax;
    } else {
      ax = ax - ay;
      r = (ax < h) ? ax : ax - ay;
    }
  }
  // x's sign bit flips r's: one exclusive or, no branch on the sign.
  return double_from_bits(double_bits(r) ^ (double_bits(x) & ~magnitude));
}

LIBM_WEAK_ALIAS(remainder, __remainder);
