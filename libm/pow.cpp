// pow: x^y = 2^(y * log2|x|). log2_x gives log2|x| as a 24-bit head and a
// tail, the product with y is split so that its head is exact, and 2^z comes
// from a 64-entry table and a degree-5 polynomial. Special operands are
// settled first; overflow, underflow and domain errors go to the handler.
#include "libm_internal.h"
#include "libm_tables.h"
#include "pow_constants.h"

namespace {
using namespace pow_constants;

constexpr std::int32_t sign_bit = static_cast<std::int32_t>(0x80000000);


// Keeps 24 significant bits: the conversion to float rounds to nearest.
inline double to_single(double x) { return static_cast<double>(static_cast<float>(x)); }

// 0/0, kept for its invalid flag and for the trap when that is enabled.
inline void raise_invalid() {
  volatile double divisor = zero;
  volatile double quotient = divisor / divisor;
  (void)quotient;
}

// log2 of a positive finite x as head (24 significant bits) + *tail.
[[gnu::always_inline]] inline double log2_x(double x, double* tail) {
  std::int32_t hx = high_word(x);
  if (hx >= 0x3fef03f1 && hx < 0x3ff08208) {
    if (hx == 0x3ff00000 && low_word(x) == 0) {
      *tail = zero;
      return zero;
    }
    // log2 x = 2/ln2 * atanh(s), s = f / (2 + f), with s split head + tail.
    double f = x - one;
    double q = one / (two + f);
    double f_h = to_single(f);
    double f_l = f - f_h;
    double s = f * q;
    double s_h = to_single(s);
    double z = s * s;
    double s_l = q * (((f - two * s_h) - s_h * f_h) - s_h * f_l);
    double w = (s_h * B0_lo + s * (z * (B1 + z * (B2 + z * (B3 + z * B4))))) + s_l * B0;
    double head = s_h * B0_hi;
    double t1 = to_single(head + w);
    *tail = w - (t1 - head);
    return t1;
  }

  int n = -1023;
  if (hx < 0x00100000) {
    x *= two53;
    hx = high_word(x);
    n -= 53;
  }
  // x = 2^n * m, m in [1, 2) rounded to u on the grid of 1/128; a carry to
  // u = 2 raises n and wraps j to 0, so n + hi[j] stays right.
  // m and u are formed in the vector register from x's pattern; j and n
  // from its high word.
  double m = pattern_or(pattern_and(x, 0x000fffffffffffffULL), 0x3ff0000000000000ULL);
  double u = pattern_and(pattern_add(m, 0x0000100000000000ULL), 0xffffe00000000000ULL);
  int j = ((((hx & 0x000fffff) | 0x3ff00000) + 0x1000) >> 13) & 127;
  n += (hx + 0x1000) >> 20;

  double f = m - u;
  double q = one / (m + u);
  double s = f * q;
  double hm = static_cast<double>(n) + __libm_TBL_log2_hi[j];
  double s_h = to_single(s);
  double z = s * s;
  double T = s_h * A1_hi + hm;
  double e = (T - hm) - s_h * A1_hi;
  double s_l = q * ((f - (s_h + s_h) * u) - s_h * f);
  double r = ((s_l * A1 + s_h * A1_lo) + (s * z) * (A2 + z * A3)) + (__libm_TBL_log2_lo[j] - e);
  double t1 = to_single(T + r);
  *tail = r - (t1 - T);
  return t1;
}

// 0 = not an integer, 1 = odd integer, 2 = even integer; y finite or infinite.
int integer_kind(std::int32_t iy, std::uint32_t ly) {
  if (iy >= 0x43400000) return 2;
  if (iy < 0x3ff00000) return 0;
  int k = (iy >> 20) - 1023;
  if (k > 20) {
    int s = 52 - k;
    if (((ly >> s) << s) == ly) return 2 - static_cast<int>((ly >> s) & 1);
    return 0;
  }
  if (ly != 0) return 0;
  int s = 20 - k;
  if (((iy >> s) << s) == iy) return 2 - ((iy >> s) & 1);
  return 0;
}

// The error paths are out of line and reached by tail calls, so the general
// path needs no stack frame.
[[gnu::noinline, gnu::cold]] double report_overflow(double x, double y) {
  __libm_fe_overflow(one);
  return __libm_SVID_libm_err(x, y, 21);
}

[[gnu::noinline, gnu::cold]] double report_underflow(double x, double y) {
  __libm_fe_underflow(one);
  return __libm_SVID_libm_err(x, y, 22);
}

[[gnu::noinline, gnu::cold]] double report_invalid(double x, double y) {
  raise_invalid();
  return __libm_SVID_libm_err(x, y, 24);
}

[[gnu::noinline, gnu::cold]] double underflow_to_zero() { return __libm_fe_underflow(one); }

// x^y for finite non-zero x and finite non-zero y once the special operands
// are settled; ax = |x|, and `negate` gives the result the sign of a negative
// x raised to an odd integer.
[[gnu::always_inline]] inline double finite_power(double x, double y, double ax, std::int32_t ix, std::int32_t hy,
                                                  std::int32_t iy, std::uint32_t ly, bool negate) {
  // z = y * log2|x| as p_h + p_l with p_h exact: y is cut to 24 bits when
  // its product with the 24-bit head would not be exact otherwise.
  double t2;
  double t1 = log2_x(ax, &t2);
  double p_h;
  double p_l;
  if ((ly & 0x07ffffff) != 0 && iy < 0x47e00000) {
    double y1 = to_single(y);
    double y2 = y - y1;
    p_h = y1 * t1;
    double y_t2 = y * t2;
    p_l = y2 * t1 + y_t2;
  } else {
    // |y| >= 2^127 puts |z| far beyond both thresholds for every x but 1
    // (|log2 x| >= 2^-53 then), and y * t1 could overflow on the way, raising
    // overflow for a result that underflows: take the route by the sign of z.
    if (iy >= 0x47e00000) [[unlikely]]
      return (hy ^ (ix - 0x3ff00000)) < 0 ? report_underflow(x, y) : report_overflow(x, y);
    p_h = y * t1;
    p_l = y * t2;
  }
  double z = p_h + p_l;
  // |z| >= 1024 covers both ends (z >= 1024, |z| >= 1075) in one test.
  if ((double_bits(z) & 0x7fffffffffffffffULL) >= 0x4090000000000000ULL) [[unlikely]] {
    std::int32_t hz = high_word(z);
    if (hz >= 0x40900000) {
      if (!(hz == 0x40900000 && low_word(z) == 0 && (p_h - z) + p_l < zero)) return report_overflow(x, y);
    } else if ((hz & 0x7fffffff) >= 0x4090cc00) {
      if (!(hz == static_cast<std::int32_t>(0xc090cc00) && low_word(z) == 0 && (p_h - z) + p_l > zero))
        return report_underflow(x, y);
    }
  }

  // n = 64 z rounded half away from zero; the sign of z is that of y times
  // the sign of log2|x|, known without looking at z. Adding -half is
  // subtracting half, so the sign goes onto half without a branch.
  std::uint64_t z_sign = static_cast<std::uint64_t>(static_cast<std::uint32_t>(hy ^ (ix - 0x3ff00000)) >> 31) << 63;
  double signed_half = double_from_bits(double_bits(half) | z_sign);
  std::int32_t n;
  double dn = truncate_in_register(sixty_four * z + signed_half, &n);
  int j = n & 63;
  int m = n >> 6;
  double t = p_l - (dn * one_sixty_fourth - p_h);
  double r = (__libm_TBL_exp2_lo[j] +
              (__libm_TBL_exp2_hi[j] * t) * (E1 + t * (E2 + t * (E3 + t * (E4 + t * E5))))) +
             __libm_TBL_exp2_hi[j];

  // r * 2^m. r = 2^(j/64 + t) with |t| about 1/128 is below 2, so its
  // exponent field hr >> 20 is at most 0x3ff (0x400 would still do): for
  // -1021 <= m < 0x3ff the sum stays below the infinity pattern 0x7ff and
  // r need not be looked at.
  if (static_cast<std::uint32_t>(m + 1021) < 0x3ff + 1021) [[likely]] {
    // hr + m·2^20 in the high word, the low word unchanged.
    r = pattern_add(r, static_cast<std::uint64_t>(static_cast<std::int64_t>(m)) << 52);
  } else if (m >= -1021) {
    // At z = 1024 with a tail that rounds away, r = 1 and the exponent
    // would reach the infinity pattern: that is the overflow of z >= 1024.
    if ((high_word(r) >> 20) + m >= 0x7ff) return report_overflow(x, y);
    r = pattern_add(r, static_cast<std::uint64_t>(static_cast<std::int64_t>(m)) << 52);
  } else {
    std::int32_t hr = high_word(r);
    int e = (hr >> 20) + m;
    if (e > 0) {
      r = with_high_word(r, (hr & 0x000fffff) | (e << 20));
    } else if (e >= -52) {
      // One rounding into the subnormal range.
      r = with_high_word(r, (hr & 0x000fffff) | ((e + 54) << 20)) * twom54;
    } else {
      r = underflow_to_zero();
    }
  }

  return negate ? -r : r;
}

// Zero, infinite and NaN operands, a negative, zero, unit or infinite x, and
// y with a zero low word (the integers and halves checked by their patterns).
[[gnu::noinline]] double pow_special_operands(double x, double y) {
  std::int32_t hx = high_word(x);
  std::uint32_t lx = low_word(x);
  std::int32_t hy = high_word(y);
  std::uint32_t ly = low_word(y);
  std::int32_t ix = hx & 0x7fffffff;
  std::int32_t iy = hy & 0x7fffffff;

  if ((static_cast<std::uint32_t>(iy) | ly) == 0) {
    if ((static_cast<std::uint32_t>(ix) | lx) == 0) return __libm_SVID_libm_err(x, y, 20);
    if ((ix | (lx != 0 ? 1 : 0)) > 0x7ff00000) return __libm_SVID_libm_err(x, y, 42);
    return one;
  }
  if ((ix | (lx != 0 ? 1 : 0)) > 0x7ff00000 || (iy | (ly != 0 ? 1 : 0)) > 0x7ff00000) return x + y;

  const bool x_negative = hx < 0;
  const int ykind = x_negative ? integer_kind(iy, ly) : 0;

  if (ly == 0) {
    if (iy == 0x7ff00000) {
      if (((ix - 0x3ff00000) | static_cast<std::int32_t>(lx)) == 0) return y - y;
      if (ix >= 0x3ff00000) return hy >= 0 ? y : zero;
      return hy >= 0 ? zero : -y;
    }
    if (hy == 0x3ff00000) return x;
    if (hy == static_cast<std::int32_t>(0xbff00000)) {
      if ((static_cast<std::uint32_t>(ix) | lx) == 0) return __libm_SVID_libm_err(x, y, 23);
      return one / x;
    }
    if (hy == 0x40000000) return x * x;
    if (hy == 0x3fe00000 && hx >= 0 && hx < 0x7ff00000 && (static_cast<std::uint32_t>(hx) | lx) != 0)
      return hardware_sqrt(x);
  }

  if (lx == 0 && (ix == 0 || ix == 0x3ff00000 || ix == 0x7ff00000)) {
    double z = with_high_word(x, ix);
    if (hy < 0) {
      if (ix == 0) return __libm_SVID_libm_err(x, y, 23);
      z = one / z;
    }
    if (x_negative) {
      if (ix == 0x3ff00000 && ykind == 0) return report_invalid(x, y);
      if (ykind == 1) return -z;
    }
    return z;
  }

  if (x_negative && ykind == 0) return report_invalid(x, y);

  return finite_power(x, y, with_high_word(x, ix), ix, hy, iy, ly, x_negative && ykind == 1);
}
}  // namespace

extern "C" double __pow(double x, double y) noexcept {
  // The common case first: x positive, finite and not 1, y finite with a
  // non-zero low word (so neither zero nor one of the patterns settled apart).
  std::uint64_t bx = double_bits(x);
  std::uint64_t by = double_bits(y);
  if (bx - 1 < 0x7fefffffffffffffULL && bx != double_bits(one) && low_word(y) != 0 &&
      (by & 0x7fffffffffffffffULL) < 0x7ff0000000000000ULL) [[likely]] {
    std::int32_t hy = high_word(y);
    return finite_power(x, y, x, high_word(x), hy, hy & 0x7fffffff, low_word(y), false);
  }
  return pow_special_operands(x, y);
}

LIBM_WEAK_ALIAS(pow, __pow);
