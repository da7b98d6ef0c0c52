// Lane-wise main paths shared by the batch forms of atan, atan2, asin and acos:
// the scalar functions' operations in their order, their high-word branches as
// lane masks, every branch computed on values that raise nothing for the lanes
// that do not take it. Included after hwy/highway.h and batch_loop.h.
#pragma once

#include <cstdint>

#include "asin_acos_constants.h"
#include "atan_constants.h"
#include "libm_bits.h"
#include "libm_tables.h"

HWY_BEFORE_NAMESPACE();
namespace korvel_batch::HWY_NAMESPACE {

// The double whose high word is `high` and low word 0: for a non-NaN |v|,
// "high word of |v| < high" is exactly "|v| < word_bound(high)".
template <class D>
hn::Vec<D> word_bound(D d, std::int32_t high) {
  return hn::Set(d, double_from_words(high, 0));
}

// Lanes whose high word without the sign is below `high`, by an integer
// compare: ordered compares of doubles raise invalid for a NaN on SSE4 and
// NEON, and the lane masks see the raw arguments.
template <class D>
hn::Mask<D> magnitude_below(D d, hn::Vec<D> v, std::int32_t high) {
  const hn::RebindToSigned<D> di;
  return hn::RebindMask(d, hn::Lt(magnitude_lane_bits(v), hn::Set(di, static_cast<std::int64_t>(high) << 32)));
}

// The sign bit of each lane of v, alone.
template <class D>
hn::Vec<D> sign_bits(D d, hn::Vec<D> v) {
  return hn::And(v, hn::Set(d, double_from_bits(0x8000000000000000ULL)));
}

// v with its low word cleared.
template <class D>
hn::Vec<D> high_part(D d, hn::Vec<D> v) {
  return hn::And(v, hn::Set(d, double_from_bits(0xffffffff00000000ULL)));
}

// atan(v) for finite and infinite v with |v| >= 2^-62, exactly as __atan. One
// division serves both the table offset s and 1/|v|; the step-4 polynomial
// and the 1/|v| polynomial below 65 are one evaluation on a per-lane z. The
// shorter polynomials are the longer ones with zero coefficients: z * 0 adds
// an exact +0, so the bits are those of the short forms.
template <class D>
hn::Vec<D> atan_main_path(D d, hn::Vec<D> v) {
  using namespace atan_constants;
  using V = hn::Vec<D>;
  const hn::RebindToUnsigned<D> du;
  const hn::RebindToSigned<D> di;
  const V one_v = hn::Set(d, one);

  const V a = hn::Abs(v);
  const V sign = sign_bits(d, v);
  const auto negative = hn::RebindMask(d, hn::Ne(hn::BitCast(du, sign), hn::Zero(du)));
  const auto in_poly = hn::Lt(a, word_bound(d, 0x3fc00000));       // |v| < 1/8
  const auto in_inverse = hn::Ge(a, word_bound(d, 0x40200000));    // |v| >= 8
  const auto in_table = hn::Not(hn::Or(in_poly, in_inverse));

  // Table region: the nearest reduction point, half up. Other lanes reduce 1.0.
  const V at = hn::IfThenElse(in_table, a, one_v);
  const auto at_bits = hn::BitCast(du, at);
  const auto point_bits =
      hn::And(hn::Add(at_bits, hn::Set(du, 0x0000800000000000ULL)), hn::Set(du, 0x7fff000000000000ULL));
  const V y = hn::BitCast(d, point_bits);
  const auto k = hn::Sub(hn::BitCast(di, hn::ShiftRight<48>(point_bits)), hn::Set(di, 0x3fc0));
  const V table_num = hn::IfThenElse(negative, hn::Sub(y, at), hn::Sub(at, y));
  const V table_den = hn::Add(one_v, hn::Mul(at, y));
  // At 2^55 and above r is -pio2lo alone: 0/|v| gives t = 0 without the underflow of 1/|v|.
  const auto beyond_t = hn::Ge(a, word_bound(d, 0x43600000));
  const V inverse_num = hn::IfThenZeroElse(beyond_t, one_v);
  const V quotient =
      hn::Div(hn::IfThenElse(in_table, table_num, inverse_num), hn::IfThenElse(in_table, table_den, a));

  const V u = hn::IfThenElse(in_poly, v, quotient);
  const V z = hn::Mul(u, u);

  V c2 = hn::Set(d, p2);
  V c3 = hn::Set(d, p3);
  V c4 = hn::Set(d, p4);
  V c5 = hn::Set(d, p5);
  V c6 = hn::Set(d, p6);
  const auto below_step4 = hn::Lt(a, word_bound(d, 0x3f500000));  // |v| < 2^-10
  const bool has_short_poly = !hn::AllFalse(d, below_step4);
  if (has_short_poly) {
    const auto step2 = hn::Lt(a, word_bound(d, 0x3f100000));  // p1 alone
    c2 = hn::IfThenZeroElse(step2, c2);
    c3 = hn::IfThenZeroElse(below_step4, c3);
    c4 = hn::IfThenZeroElse(below_step4, c4);
    c5 = hn::IfThenZeroElse(below_step4, c5);
    c6 = hn::IfThenZeroElse(below_step4, c6);
  }
  V poly_p = hn::Add(c5, hn::Mul(z, c6));
  poly_p = hn::Add(c4, hn::Mul(z, poly_p));
  poly_p = hn::Add(c3, hn::Mul(z, poly_p));
  poly_p = hn::Add(c2, hn::Mul(z, poly_p));
  poly_p = hn::Add(hn::Set(d, p1), hn::Mul(z, poly_p));

  // q1 alone where |v| differs from its point in the low word only; nothing
  // from 2^19 on (t alone).
  const auto t_alone = hn::Ge(a, word_bound(d, 0x41200000));
  const auto on_point = hn::And(
      in_table, hn::RebindMask(d, hn::Eq(hn::And(hn::BitCast(du, a), hn::Set(du, 0xffffffff00000000ULL)), point_bits)));
  const auto q1_alone = hn::Or(t_alone, on_point);
  const V d1 = hn::IfThenZeroElse(t_alone, hn::Set(d, q1));
  const V d2 = hn::IfThenZeroElse(q1_alone, hn::Set(d, q2));
  const V d3 = hn::IfThenZeroElse(q1_alone, hn::Set(d, q3));
  const V poly_q = hn::Add(d1, hn::Mul(z, hn::Add(d2, hn::Mul(z, d3))));

  const auto uses_p = hn::And(in_inverse, hn::Lt(a, word_bound(d, 0x40504000)));  // 8 <= |v| < 65
  const V r = hn::Mul(u, hn::Add(one_v, hn::Mul(z, hn::IfThenElse(uses_p, poly_p, poly_q))));

  const V poly_result = hn::Add(u, hn::Mul(hn::Mul(z, u), poly_p));
  // x < 0: (r - lo) - hi is (r + -lo) + -hi.
  const V lo = hn::Xor(hn::GatherIndex(d, __libm_TBL_atan_lo, k), sign);
  const V hi = hn::Xor(hn::GatherIndex(d, __libm_TBL_atan_hi, k), sign);
  const V table_result = hn::Add(hn::Add(r, lo), hi);
  // x < 0: r' - pio2hi is -(pio2hi - r'), never zero.
  const V inverse_result = hn::Xor(hn::Sub(hn::Set(d, pio2hi), hn::Sub(r, hn::Set(d, pio2lo))), sign);

  V result = hn::IfThenElse(in_poly, poly_result, hn::IfThenElse(in_table, table_result, inverse_result));
  if (has_short_poly) {
    // Below 2^-28 atan(v) is v itself.
    result = hn::IfThenElse(hn::Lt(a, word_bound(d, 0x3e300000)), v, result);
  }
  return result;
}

// R(t) = p(t)/q(t) of asin and acos, Horner's rule from the innermost term.
template <class D>
hn::Vec<D> asin_acos_rational(D d, hn::Vec<D> t) {
  using namespace asin_acos_constants;
  auto p = hn::Add(hn::Set(d, P4), hn::Mul(t, hn::Set(d, P5)));
  p = hn::Add(hn::Set(d, P3), hn::Mul(t, p));
  p = hn::Add(hn::Set(d, P2), hn::Mul(t, p));
  p = hn::Add(hn::Set(d, P1), hn::Mul(t, p));
  p = hn::Add(hn::Set(d, P0), hn::Mul(t, p));
  p = hn::Mul(t, p);
  auto q = hn::Add(hn::Set(d, Q3), hn::Mul(t, hn::Set(d, Q4)));
  q = hn::Add(hn::Set(d, Q2), hn::Mul(t, q));
  q = hn::Add(hn::Set(d, Q1), hn::Mul(t, q));
  q = hn::Add(hn::Set(d, one), hn::Mul(t, q));
  return hn::Div(p, q);
}

}  // namespace korvel_batch::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();
