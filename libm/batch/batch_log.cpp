// Batch log: the scalar log's paths for positive normal x, lane-wise. The
// near-one forms, the 256-point table and the general path are all formed and
// selected by the same high-word ranges; zero, negative, subnormal, infinite
// and NaN lanes go to the scalar function.
#include <hwy/highway.h>

#include "batch_loop.h"
#include "batch_lane_ops.h"
#include "korvel_math.h"
#include "libm_tables.h"
#include "log_constants.h"
#include "log_tables.h"

HWY_BEFORE_NAMESPACE();
namespace korvel_batch::HWY_NAMESPACE {
namespace {
using namespace log_constants;

// Positive normal x: 2^-1022 <= x < inf, sign clear.
HWY_INLINE M log_on_path(D d, V x) {
  const DI di;
  const auto bits = hn::BitCast(di, x);
  const auto in_range = hn::And(hn::Gt(bits, hn::Set(di, 0x000fffffffffffffLL)),
                                hn::Lt(bits, hn::Set(di, 0x7ff0000000000000LL)));
  return hn::RebindMask(d, in_range);
}

// hx in [lo, hi): hx is a positive high word here, so signed compares do.
HWY_INLINE auto high_word_in(VI hx, std::int64_t lo, std::int64_t hi) {
  const DI di;
  return hn::And(hn::Gt(hx, hn::Set(di, lo - 1)), hn::Lt(hx, hn::Set(di, hi)));
}

// ln(x/y) = 2·atanh(s) for s = (x - y)/(x + y), as the scalar's series_in_s.
HWY_INLINE V series_in_s(D d, V s) {
  const V z = hn::Mul(s, s);
  return hn::Mul(
      s, hn::Add(hn::Set(d, two),
                 hn::Mul(z, hn::Add(hn::Set(d, A1), hn::Mul(z, hn::Add(hn::Set(d, A2), hn::Mul(z, hn::Set(d, A3))))))));
}

// Rounded to five fraction bits (ties up) on the pattern: the table points.
HWY_INLINE VI rounded_to_five_bits(VI bits) {
  const DI di;
  return hn::And(hn::Add(bits, hn::Set(di, 0x0000400000000000LL)), hn::Set(di, static_cast<std::int64_t>(0xffff800000000000ULL)));
}

// The general path's sum, (ln(1 + j/32) + (p + n·ln2lo)) + n·ln2hi.
HWY_INLINE V general_result(D d, VI n, VI j, V p) {
  const V dn = small_integer_to_double(d, n);
  return hn::Add(hn::Add(table_read(d, log_tbl32, j), hn::Add(p, hn::Mul(dn, hn::Set(d, ln2lo)))),
                 hn::Mul(dn, hn::Set(d, ln2hi)));
}

// The general path's parts: x = 2^n·m, 1 <= m < 2, m rounded to y; a carry
// of that rounding to 2 raises n and wraps j to 0.
HWY_INLINE void general_split(D d, VI bits, VI hx, V& m, V& y, VI& n, VI& j) {
  const DI di;
  const VI m_bits = hn::Or(hn::And(bits, hn::Set(di, 0x000fffffffffffffLL)), hn::Set(di, 0x3ff0000000000000LL));
  m = hn::BitCast(d, m_bits);
  y = hn::BitCast(d, rounded_to_five_bits(m_bits));
  n = hn::Sub(shift_right_non_negative<20>(hn::Add(hx, hn::Set(di, 0x4000))), hn::Set(di, 1023));
  j = hn::And(shift_right_non_negative<15>(hn::Add(shift_right_non_negative<32>(m_bits), hn::Set(di, 0x4000))),
              hn::Set(di, 31));
}

HWY_INLINE V log_body(D d, V x) {
  const DI di;
  const VI bits = hn::BitCast(di, x);
  const VI hx = shift_right_non_negative<32>(bits);
  const auto table_i = high_word_in(hx, 0x3fb80000, 0x40378000);
  const M table = hn::RebindMask(d, table_i);
  V m;
  V y_general;
  VI n;
  VI j;
  // Most blocks of widely spread arguments: the general path alone.
  if (hn::AllFalse(d, table)) {
    general_split(d, bits, hx, m, y_general, n, j);
    return general_result(d, n, j, series_in_s(d, hn::Div(hn::Sub(m, y_general), hn::Add(m, y_general))));
  }

  const M near = hn::RebindMask(d, high_word_in(hx, 0x3fee0f8f, 0x3ff10842));
  // Near one: f = x - 1, and 1 in the other lanes, whose f*f could overflow.
  const V f = hn::Sub(hn::IfThenElse(near, x, hn::Set(d, one)), hn::Set(d, one));
  // Table path: y is x rounded to five fraction bits, k its row.
  const V y_table = hn::BitCast(d, rounded_to_five_bits(bits));
  const VI k = hn::IfThenElseZero(table_i, shift_right_non_negative<15>(hn::Sub(hx, hn::Set(di, 0x3fb7c000))));

  // One division for the three paths: f/(2 + f) near one, (a - y)/(a + y)
  // with a = x on the table path, m on the general path.
  const bool all_table = hn::AllTrue(d, table);
  V a = x;
  V y = y_table;
  if (!all_table) {
    general_split(d, bits, hx, m, y_general, n, j);
    a = hn::IfThenElse(table, x, m);
    y = hn::IfThenElse(table, y_table, y_general);
  }
  const V numerator = hn::IfThenElse(near, f, hn::Sub(a, y));
  const V denominator = hn::IfThenElse(near, hn::Add(hn::Set(d, two), f), hn::Add(a, y));
  const V s = hn::Div(numerator, denominator);
  const V p = series_in_s(d, s);

  V hi;
  V lo;
  table_read_pair(d, __libm_TBL_log_hi, __libm_TBL_log_lo, k, hi, lo);
  V result = hn::Add(hi, hn::Add(lo, p));
  if (!all_table) result = hn::IfThenElse(table, result, general_result(d, n, j, p));
  if (hn::AllFalse(d, near)) return result;

  // R with two coefficients within about 1/256 of one, four elsewhere.
  const V z = hn::Mul(s, s);
  const V R4 = hn::Mul(
      z, hn::Add(hn::Set(d, B1),
                 hn::Mul(z, hn::Add(hn::Set(d, B2), hn::Mul(z, hn::Add(hn::Set(d, B3), hn::Mul(z, hn::Set(d, B4))))))));
  V R = R4;
  const M short_series = hn::And(near, hn::RebindMask(d, high_word_in(hx, 0x3fefe000, 0x3ff01000)));
  if (!hn::AllFalse(d, short_series)) {
    R = hn::IfThenElse(short_series, hn::Mul(z, hn::Add(hn::Set(d, B1), hn::Mul(z, hn::Set(d, B2)))), R4);
  }
  result = hn::IfThenElse(near, hn::Sub(f, hn::Mul(s, hn::Sub(f, R))), result);
  // hx 0x3feffffc ... 0x3ff00003: f - f²(1/2 - f/3); +0 at x = 1 exactly, the scalar's zero.
  const M cubic = hn::RebindMask(
      d, hn::Eq(hn::And(hn::Add(hx, hn::Set(di, 4)), hn::Set(di, ~std::int64_t{7})), hn::Set(di, 0x3ff00000)));
  if (hn::AllFalse(d, cubic)) return result;
  return hn::IfThenElse(
      cubic, hn::Sub(f, hn::Mul(hn::Mul(f, f), hn::Sub(hn::Set(d, half), hn::Mul(hn::Set(d, one_third), f)))), result);
}
}  // namespace

void batch_log(std::size_t n, const double* x, double* r) {
  unary_blocks(
      n, x, r, __log, [](D d, V v) __attribute__((always_inline)) { return log_on_path(d, v); },
      [](D d, V v) __attribute__((always_inline)) { return log_body(d, v); });
}
}  // namespace korvel_batch::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();
