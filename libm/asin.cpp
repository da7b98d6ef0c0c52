// asin: x + x*R(x*x) below 0.5; above it the angle of the half-angle square
// root s = sqrt((1 - |x|)/2), as pi/2 - 2*asin(s), with s split into an exact
// head w and a correction where the cancellation against pi/4 needs it.
#include "libm_internal.h"

namespace {
constexpr double one = double_from_bits(0x3ff0000000000000ULL);
constexpr double huge = double_from_bits(0x7e37e43c8800759cULL);
constexpr double pio2_hi = double_from_bits(0x3ff921fb54442d18ULL);
constexpr double pio2_lo = double_from_bits(0x3c91a62633145c07ULL);
constexpr double pio4_hi = double_from_bits(0x3fe921fb54442d18ULL);
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

extern "C" double __asin(double x) noexcept {
  // The words by value (libm_bits.h): on x86-64 the high word is always the second in memory.
  std::int32_t hx = high_word(x);
  std::int32_t ix = hx & 0x7fffffff;

  if (ix >= 0x3ff00000) {
    std::uint32_t lx = low_word(x);
    if (ix == 0x3ff00000 && lx == 0) return x * pio2_hi + x * pio2_lo;
    // NaNs pass through quietly; |x| > 1 is invalid: NaN in IEEE mode, else the handler.
    if (_lib_version == -1 || ix > 0x7ff00000 || (ix == 0x7ff00000 && lx != 0)) return (x - x) / (x - x);
    return __libm_SVID_libm_err(x, x, 2);
  }
  if (ix < 0x3e400000) {
    // asin(x) rounds to x; the sum raises inexact for every non-zero x.
    keep_for_flags(huge + x);
    return x;
  }
  if (ix < 0x3fe00000) {
    double t = x * x;
    return x + x * rational(t);
  }

  // |x| and the sign by the vector unit's masks, not a trip through the integer registers.
  double t = (one - __builtin_fabs(x)) * 0.5;
  double s = hardware_sqrt(t);
  double r;
  if (ix >= 0x3fef3333) {
    r = pio2_hi - (2.0 * (s + s * rational(t)) - pio2_lo);
  } else {
    // w*w is exact; c carries what w leaves out of sqrt(t). The low word is
    // cleared in the vector register.
    double w = pattern_and(s, 0xffffffff00000000ULL);
    double c = (t - w * w) / (s + w);
    double p = 2.0 * s * rational(t) - (pio2_lo - 2.0 * c);
    double q = pio4_hi - 2.0 * w;
    r = pio4_hi - (p - q);
  }
  // r > 0: or-ing in x's sign bit (taken from x while r is computed) gives -r
  // for negative x, without a branch on a random sign.
  return pattern_or(r, double_bits(pattern_and(x, 0x8000000000000000ULL)));
}

LIBM_WEAK_ALIAS(asin, __asin);
