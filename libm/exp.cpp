// exp: e^x by a one-step reduction near zero (k = 0, ±1) or by n = x·32/ln 2
// rounded, 2^(j/32) from a hi/lo table and a short rational correction;
// overflow and underflow go to the error handler.
#include "libm_internal.h"

#include "exp_constants.h"
#include "exp_tables.h"

namespace {
using namespace exp_constants;

// Beyond these |x| overflows (x > 0) or underflows (x < 0); indexed by the sign bit.
constexpr double bound_by_sign[2] = {threshold1, threshold2};

// |x| against a positive constant as one 64-bit compare: high words first,
// then the low words as unsigned.
inline std::uint64_t magnitude_bits(double x) { return double_bits(x) & 0x7fffffffffffffffULL; }

// f·2^e by adding e·2^20 to the high word (as e·2^52 to the whole pattern,
// which leaves the low word alone); the exponent field stays in range.
inline double add_to_exponent(double f, std::int32_t e) {
  return pattern_add(f, static_cast<std::uint64_t>(static_cast<std::int64_t>(e)) << 52);
}

// A signalling NaN comes back quiet with invalid raised. The flag is set
// directly where nothing can observe the difference; otherwise the real
// operation runs, so an enabled trap is taken. Kept out of line so the
// common paths need no stack frame.
[[gnu::noinline, gnu::cold]] double quiet_signalling_nan(double x, std::int32_t hx) {
  if (__libm_fe_round_to_nearest() && __libm_fe_enabled_traps() == 0) {
    __libm_fe_set_flags(LIBM_FE_INVALID);
    return with_high_word(x, hx | 0x00080000);
  }
  return x + x;
}
}  // namespace

extern "C" double __exp(double x) noexcept {
  std::uint64_t ax = magnitude_bits(x);
  std::int32_t hx = high_word(x);

  double r;
  std::int32_t j;
  std::int32_t m;
  // The table range first, as one unsigned test: 1.5 ln 2 < |x| < inf.
  if (ax - double_bits(ln2_onehalf) - 1 < 0x7ff0000000000000ULL - double_bits(ln2_onehalf) - 1) [[likely]] {
    // The bound and the rounding offset follow the sign of x without a branch:
    // adding -0.5 is the subtraction of 0.5.
    std::uint64_t bound = double_bits(bound_by_sign[static_cast<std::uint32_t>(hx) >> 31]);
    if (ax > bound) return __libm_SVID_libm_err(x, x, hx > 0 ? 6 : 7);
    double signed_half = pattern_or(pattern_and(x, 0x8000000000000000ULL), double_bits(half));
    double t = x * invln2_32 + signed_half;
    // Truncation of t: n is x·32/ln 2 rounded half away from zero.
    std::int32_t n;
    double dn = truncate_in_register(t, &n);
    r = (x - dn * ln2_32hi) - dn * ln2_32lo;
    j = n & 31;
    m = n >> 5;
  } else {
    std::int32_t ix = hx & 0x7fffffff;
    std::uint32_t lx = low_word(x);
    if (ix >= 0x7ff00000) {
      if (((ix & 0x000fffff) | lx) != 0) {
        if ((hx & 0x00080000) != 0) return x;
        return quiet_signalling_nan(x, hx);
      }
      return hx < 0 ? zero : x;
    }
    if (ix > high_word(ln2_64)) {
      // One reduction step by k·ln 2, k = 0 or ±1.
      double hi = x;
      double lo = zero;
      int k = 0;
      r = x;
      if (ax > double_bits(ln2_2)) {
        if (hx > 0) {
          k = 1;
          hi = x - ln2hi;
          lo = ln2lo;
        } else {
          k = -1;
          hi = x + ln2hi;
          lo = -ln2lo;
        }
        r = hi - lo;
      }
      double z = r * r;
      double c = r - z * (p1 + z * (p2 + z * (p3 + z * (p4 + z * p5))));
      if (k == 0) return one - ((r * c) / (c - two) - r);
      double y = one - ((lo - (r * c) / (two - c)) - hi);
      return k == 1 ? y + y : half * y;
    }
    if (ix < 0x3e300000) {
      keep_for_flags(x + huge);
      return one + x;
    }
    if (ix < 0x3ed00000) {
      keep_for_flags(x + huge);
      return one + x * (one + x * half);
    }
    r = x;
    j = 0;
    m = 0;
  }

  double z = r * r;
  double c = r - z * (t1 + z * t2);
  double f = exp_tbl_hi[j] - ((exp_tbl_2hi[j] * r) / (c - two) - exp_tbl_lo[j]);

  // Scale by 2^m in the exponent field (m = 0 leaves f as it is); a subnormal
  // result is formed by one rounding multiplication instead.
  if (m >= -1021) return add_to_exponent(f, m);
  return add_to_exponent(f, m + 54) * twom54;
}

LIBM_WEAK_ALIAS(exp, __exp);
