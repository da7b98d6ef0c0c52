// log: ln x from the high word's range: a short series in f = x - 1 near one,
// ln y_k from the 256-point table plus a series in (x - y)/(x + y) for
// 0.09375 <= x < 23.5, and n·ln 2 + ln(1 + j/32) + series elsewhere.
#include "libm_internal.h"
#include "libm_tables.h"
#include "log_constants.h"

#include "log_tables.h"

namespace {
using namespace log_constants;

// ln(x/y) = 2·atanh(s) for s = (x - y)/(x + y), shared by both table paths.
inline double series_in_s(double s) {
  double z = s * s;
  return s * (two + z * (A1 + z * (A2 + z * A3)));
}

// 0.09375 <= x < 23.5: y is x rounded to five fraction bits (ties up), one of
// the table's points, formed on x's pattern.
[[gnu::always_inline]] inline double table_path(double x, std::int32_t hx) {
  double y = pattern_and(pattern_add(x, 0x0000400000000000ULL), 0xffff800000000000ULL);
  std::int32_t k = (hx - 0x3fb7c000) >> 15;
  double s = (x - y) / (x + y);
  return __libm_TBL_log_hi[k] + (__libm_TBL_log_lo[k] + series_in_s(s));
}

// Positive finite x = 2^n·m, 1 <= m < 2; m rounding up to 2 carries into n.
// `n` holds the exponent already taken out by scaling.
// m and y are formed on the patterns, n and j from the high word.
[[gnu::always_inline]] inline double general_path(double x, std::int32_t hx, std::int32_t n) {
  n += ((hx + 0x4000) >> 20) - 1023;
  double m = pattern_or(pattern_and(x, 0x000fffffffffffffULL), 0x3ff0000000000000ULL);
  std::int32_t hm = (hx & 0x000fffff) | 0x3ff00000;
  std::int32_t j = ((hm + 0x4000) >> 15) & 31;
  double y = pattern_and(pattern_add(m, 0x0000400000000000ULL), 0xffff800000000000ULL);
  double s = (m - y) / (m + y);
  double dn = static_cast<double>(n);
  return (log_tbl32[j] + (series_in_s(s) + dn * ln2lo)) + dn * ln2hi;
}
}  // namespace

extern "C" double __log(double x) noexcept {
  std::int32_t hx = high_word(x);
  // Ranges by unsigned differences, one test each: arguments spread over the
  // exponents take the same branches every time instead of splitting at 1.
  const bool table_range = static_cast<std::uint32_t>(hx) - 0x3fb80000u < 0x40378000u - 0x3fb80000u;
  const bool normal = static_cast<std::uint32_t>(hx) - 0x00100000u < 0x7ff00000u - 0x00100000u;
  if (table_range) {
    if (static_cast<std::uint32_t>(hx) - 0x3fee0f8fu < 0x3ff10842u - 0x3fee0f8fu) {
      std::uint32_t lx = low_word(x);
      double f = x - one;
      if (((hx + 4) & ~7) == 0x3ff00000) {
        if (hx == 0x3ff00000 && lx == 0) return zero;
        return f - (f * f) * (half - one_third * f);
      }
      double s = f / (two + f);
      double z = s * s;
      double R;
      if (hx >= 0x3fefe000 && hx <= 0x3ff00fff) {
        R = z * (B1 + z * B2);
      } else {
        R = z * (B1 + z * (B2 + z * (B3 + z * B4)));
      }
      return f - s * (f - R);
    }
    return table_path(x, hx);
  }
  if (normal) return general_path(x, hx, 0);
  if (hx >= 0x7ff00000) return x + x;  // +inf, NaNs with the sign bit clear

  // Zero, negative and subnormal x.
  std::uint32_t lx = low_word(x);
  if (((hx & 0x7fffffff) | static_cast<std::int32_t>(lx)) == 0) return __libm_SVID_libm_err(x, x, 16);
  if (hx < 0) {
    if (static_cast<std::uint32_t>(hx) >= 0xfff00000) return x - x;  // -inf, NaNs with the sign bit set
    return __libm_SVID_libm_err(x, x, 17);
  }
  x = x * two52;
  return general_path(x, high_word(x), -52);
}

LIBM_WEAK_ALIAS(log, __log);
