// remainder: x - n*y with n the integer nearest x/y (ties to even), reduced
// with __fmod and corrected by at most two exact subtractions.
#include "libm_internal.h"

namespace {
constexpr double zero = double_from_bits(0x0000000000000000ULL);
constexpr double half = double_from_bits(0x3fe0000000000000ULL);
}  // namespace

extern "C" double __remainder(double x, double y) noexcept {
  std::int32_t hx = high_word(x);
  std::int32_t ix = hx & 0x7fffffff;
  std::int32_t iy = high_word(y) & 0x7fffffff;
  constexpr std::uint64_t magnitude = 0x7fffffffffffffffULL;
  double ax = double_from_bits(double_bits(x) & magnitude);
  double ay = double_from_bits(double_bits(y) & magnitude);
  bool y_zero = (iy | static_cast<std::int32_t>(low_word(y))) == 0;

  // NaN operands make the comparison unordered.
  if (__builtin_isunordered(ax, ay) || ix == 0x7ff00000 || y_zero) {
    if (y_zero) return __libm_SVID_libm_err(ax, ay, 28);
    return __fmod(x, ay);
  }

  // 2*|y| is finite here, so x can be brought below it first.
  if (ax >= ay && iy <= 0x7fdfffff) ax = __fmod(ax, ay + ay);

  double r;
  if (iy < 0x00200000) {
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
