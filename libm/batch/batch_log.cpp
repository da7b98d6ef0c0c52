// Batch log: the scalar log's paths for positive normal x, lane-wise. The
// near-one forms, the 256-point table and the general path are all formed and
// selected by the same high-word ranges; zero, negative, subnormal, infinite
// and NaN lanes go to the scalar function.
#include <hwy/highway.h>

#include "batch_loop.h"
#include "korvel_math.h"
#include "libm_tables.h"
#include "log_constants.h"
#include "log_tables.h"

HWY_BEFORE_NAMESPACE();
namespace korvel_batch::HWY_NAMESPACE {
namespace {
using namespace log_constants;

// Positive normal x: 2^-1022 <= x < inf, sign clear.
M log_on_path(D d, V x) {
  const DI di;
  const auto bits = hn::BitCast(di, x);
  const auto in_range = hn::And(hn::Gt(bits, hn::Set(di, 0x000fffffffffffffLL)),
                                hn::Lt(bits, hn::Set(di, 0x7ff0000000000000LL)));
  return hn::RebindMask(d, in_range);
}

// hx in [lo, hi): hx is a positive high word here, so signed compares do.
template <class VI>
auto high_word_in(VI hx, std::int64_t lo, std::int64_t hi) {
  const hn::DFromV<VI> di;
  return hn::And(hn::Gt(hx, hn::Set(di, lo - 1)), hn::Lt(hx, hn::Set(di, hi)));
}

V log_body(D d, V x) {
  const DI di;
  const auto bits = hn::BitCast(di, x);
  const auto hx = hn::ShiftRight<32>(bits);

  const auto table_i = high_word_in(hx, 0x3fb80000, 0x40378000);
  const auto near_i = high_word_in(hx, 0x3fee0f8f, 0x3ff10842);
  const M table = hn::RebindMask(d, table_i);
  const M near = hn::RebindMask(d, near_i);

  // Near one: f = x - 1, and 1 in the other lanes, whose f*f could overflow.
  const V f = hn::Sub(hn::IfThenElse(near, x, hn::Set(d, one)), hn::Set(d, one));

  // Table path: y is x rounded to five fraction bits (ties up), index k.
  const V y_table = hn::BitCast(
      d, hn::And(hn::Add(bits, hn::Set(di, 0x0000400000000000LL)), hn::Set(di, static_cast<std::int64_t>(0xffff800000000000ULL))));
  const auto k = hn::IfThenElseZero(table_i, hn::ShiftRight<15>(hn::Sub(hx, hn::Set(di, 0x3fb7c000))));

  // General path: x = 2^n·m; a carry of m's rounding to 2 raises n and wraps j.
  const auto n = hn::Sub(hn::ShiftRight<20>(hn::Add(hx, hn::Set(di, 0x4000))), hn::Set(di, 1023));
  const auto m_bits = hn::Or(hn::And(bits, hn::Set(di, 0x000fffffffffffffLL)), hn::Set(di, 0x3ff0000000000000LL));
  const V m = hn::BitCast(d, m_bits);
  const auto j = hn::And(hn::ShiftRight<15>(hn::Add(hn::ShiftRight<32>(m_bits), hn::Set(di, 0x4000))), hn::Set(di, 31));
  const V y_general = hn::BitCast(
      d, hn::And(hn::Add(m_bits, hn::Set(di, 0x0000400000000000LL)), hn::Set(di, static_cast<std::int64_t>(0xffff800000000000ULL))));

  // One division for the three paths: f/(2 + f) near one, (a - y)/(a + y) else.
  const V a = hn::IfThenElse(table, x, m);
  const V y = hn::IfThenElse(table, y_table, y_general);
  const V numerator = hn::IfThenElse(near, f, hn::Sub(a, y));
  const V denominator = hn::IfThenElse(near, hn::Add(hn::Set(d, two), f), hn::Add(a, y));
  const V s = hn::Div(numerator, denominator);
  const V z = hn::Mul(s, s);

  // series_in_s
  const V p = hn::Mul(
      s, hn::Add(hn::Set(d, two),
                 hn::Mul(z, hn::Add(hn::Set(d, A1), hn::Mul(z, hn::Add(hn::Set(d, A2), hn::Mul(z, hn::Set(d, A3))))))));

  V result;
  if (hn::AllTrue(d, table)) {
    result = hn::Add(hn::GatherIndex(d, __libm_TBL_log_hi, k), hn::Add(hn::GatherIndex(d, __libm_TBL_log_lo, k), p));
  } else {
    // n fits in 11 bits: its double from the pattern 1.5·2^52 + n, exactly.
    const V dn = hn::Sub(hn::BitCast(d, hn::Add(n, hn::Set(di, 0x4338000000000000LL))),
                         hn::Set(d, double_from_bits(0x4338000000000000ULL)));
    const V general = hn::Add(
        hn::Add(hn::GatherIndex(d, log_tbl32, j), hn::Add(p, hn::Mul(dn, hn::Set(d, ln2lo)))),
        hn::Mul(dn, hn::Set(d, ln2hi)));
    if (hn::AllFalse(d, table)) return general;
    result = hn::IfThenElse(
        table, hn::Add(hn::GatherIndex(d, __libm_TBL_log_hi, k), hn::Add(hn::GatherIndex(d, __libm_TBL_log_lo, k), p)),
        general);
  }
  if (hn::AllFalse(d, near)) return result;

  // R with two coefficients within about 1/256 of one, four elsewhere.
  const M short_series = hn::RebindMask(d, high_word_in(hx, 0x3fefe000, 0x3ff01000));
  const V R2 = hn::Mul(z, hn::Add(hn::Set(d, B1), hn::Mul(z, hn::Set(d, B2))));
  const V R4 = hn::Mul(
      z, hn::Add(hn::Set(d, B1),
                 hn::Mul(z, hn::Add(hn::Set(d, B2), hn::Mul(z, hn::Add(hn::Set(d, B3), hn::Mul(z, hn::Set(d, B4))))))));
  const V R = hn::IfThenElse(short_series, R2, R4);
  const V near_one = hn::Sub(f, hn::Mul(s, hn::Sub(f, R)));
  // hx 0x3feffffc ... 0x3ff00003: f - f²(1/2 - f/3); it gives +0 at x = 1 exactly, as the scalar's zero.
  const auto cubic_i = hn::Eq(hn::And(hn::Add(hx, hn::Set(di, 4)), hn::Set(di, ~std::int64_t{7})), hn::Set(di, 0x3ff00000));
  const V cubic = hn::Sub(
      f, hn::Mul(hn::Mul(f, f), hn::Sub(hn::Set(d, half), hn::Mul(hn::Set(d, one_third), f))));
  return hn::IfThenElse(near, hn::IfThenElse(hn::RebindMask(d, cubic_i), cubic, near_one), result);
}
}  // namespace

void batch_log(std::size_t n, const double* x, double* r) {
  unary_blocks(
      n, x, r, __log, [](D d, V v) { return log_on_path(d, v); }, [](D d, V v) { return log_body(d, v); });
}
}  // namespace korvel_batch::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();
