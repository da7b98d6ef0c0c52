// rint: x rounded to an integer in the current rounding mode (ties to even
// by default), by adding and subtracting 2^52.
#include "libm_internal.h"

namespace {
constexpr double two52 = double_from_bits(0x4330000000000000ULL);
constexpr double mtwo52 = double_from_bits(0xc330000000000000ULL);
constexpr double zero = double_from_bits(0x0000000000000000ULL);
constexpr double mzero = double_from_bits(0x8000000000000000ULL);
}  // namespace

extern "C" double __rint(double x) noexcept {
  std::int32_t hx = high_word(x);
  std::int32_t ix = hx & 0x7fffffff;
  if (ix >= 0x43300000) return x + zero;
  double s = hx < 0 ? mtwo52 : two52;
  double t = x + s;
  // A zero result would come back as +0 from t - s; it keeps the sign of x.
  if (t == s) return hx < 0 ? mzero : zero;
  return t - s;
}

LIBM_WEAK_ALIAS(rint, __rint);
