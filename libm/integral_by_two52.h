// ceil, floor and rint by adding and subtracting 2^52: the portable way, and
// the oracle the processor's rounding instruction is held to.
#pragma once

#include <cstdint>

#include "libm_bits.h"

// Internal to each unit that includes it: nothing here joins the symbol table.
namespace {
namespace integral_by_two52 {
constexpr double two52 = double_from_bits(0x4330000000000000ULL);
constexpr double mtwo52 = double_from_bits(0xc330000000000000ULL);
constexpr double zero = double_from_bits(0x0000000000000000ULL);
constexpr double mzero = double_from_bits(0x8000000000000000ULL);
constexpr double one = double_from_bits(0x3ff0000000000000ULL);
}  // namespace integral_by_two52

// The smallest integer not below x.
inline double ceil_by_two52(double x) {
  using namespace integral_by_two52;
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

// The largest integer not above x.
inline double floor_by_two52(double x) {
  using namespace integral_by_two52;
  std::int32_t hx = high_word(x);
  std::int32_t ix = hx & 0x7fffffff;
  if (ix >= 0x43300000) return x + zero;
  double s = hx < 0 ? mtwo52 : two52;
  double t = (x + s) - s;
  if (t > x) t = t - one;
  return __builtin_copysign(t, x);
}

// x rounded to an integer in the current rounding mode (ties to even by default).
inline double rint_by_two52(double x) {
  using namespace integral_by_two52;
  std::int32_t hx = high_word(x);
  std::int32_t ix = hx & 0x7fffffff;
  if (ix >= 0x43300000) return x + zero;
  double s = hx < 0 ? mtwo52 : two52;
  double t = x + s;
  // A zero result would come back as +0 from t - s; it keeps the sign of x.
  if (t == s) return hx < 0 ? mzero : zero;
  return t - s;
}

}  // namespace
