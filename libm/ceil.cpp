// ceil: the smallest integer not below x, by adding and subtracting 2^52.
#include "libm_internal.h"

namespace {
constexpr double two52 = double_from_bits(0x4330000000000000ULL);
constexpr double mtwo52 = double_from_bits(0xc330000000000000ULL);
constexpr double zero = double_from_bits(0x0000000000000000ULL);
constexpr double one = double_from_bits(0x3ff0000000000000ULL);
}  // namespace

extern "C" double __ceil(double x) noexcept {
  std::int32_t hx = high_word(x);
  std::int32_t ix = hx & 0x7fffffff;
  // |x| >= 2^52 is integral, infinite or NaN; adding zero quiets a signaling NaN.
  if (ix >= 0x43300000) return x + zero;
  double s = hx < 0 ? mtwo52 : two52;
  // x rounded to an integer in the current mode, then corrected by one.
  double t = (x + s) - s;
  if (t < x) t = t + one;
  // Only a zero result changes: it takes the sign of x. copysign replaces
  // the sign bit in the vector register, without a trip through the integer unit.
  return __builtin_copysign(t, x);
}

LIBM_WEAK_ALIAS(ceil, __ceil);
