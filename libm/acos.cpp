// acos: pi/2 - asin(x) below 0.5 with the same rational R; above it twice the
// angle of the half-angle square root sqrt((1 -+ x)/2), split into an exact
// head and a correction for x >= 0.5 where the result is small.
#include "libm_internal.h"

namespace {
constexpr double one = double_from_bits(0x3ff0000000000000ULL);
constexpr double pio2_hi = double_from_bits(0x3ff921fb54442d18ULL);
constexpr double pio2_lo = double_from_bits(0x3c91a62633145c07ULL);
constexpr double PI = double_from_bits(0x400921fb54442d18ULL);
constexpr double P0 = double_from_bits(0x3fc5555555555555ULL);
constexpr double P1 = double_from_bits(0xbfd4d61203eb6f7dULL);
constexpr double P2 = double_from_bits(0x3fc9c1550e884455ULL);
constexpr double P3 = double_from_bits(0xbfa48228b5688f3bULL);
constexpr double P4 = double_from_bits(0x3f49efe07501b288ULL);
constexpr double P5 = double_from_bits(0x3f023de10dfdf709ULL);
constexpr double Q1 = double_from_bits(0xc0033a271c8a2d4bULL);
constexpr double Q2 = double_from_bits(0x40002ae59c598ac8ULL);
constexpr double Q3 = double_from_bits(0xbfe6066c1b8d0159ULL);
constexpr double Q4 = double_from_bits(0x3fb3b8c5b12e9282ULL);

// The rational part R(t) = p(t)/q(t) of asin(sqrt(t)) = sqrt(t) * (1 + R(t)).
inline double rational(double t) {
  double p = t * (P0 + t * (P1 + t * (P2 + t * (P3 + t * (P4 + t * P5)))));
  double q = one + t * (Q1 + t * (Q2 + t * (Q3 + t * Q4)));
  return p / q;
}
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
