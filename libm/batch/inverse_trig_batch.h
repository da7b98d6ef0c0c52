// Lane-wise main paths shared by the batch forms of atan, atan2, asin and acos:
// the scalar functions' operations in their order, their high-word branches as
// lane masks, every branch computed on values that raise nothing for the lanes
// that do not take it. Included after hwy/highway.h and batch_loop.h.
#pragma once

#include <cstdint>

#include "asin_acos_constants.h"
#include "batch_lane_ops.h"
#include "atan_constants.h"
#include "libm_bits.h"
#include "libm_tables.h"

HWY_BEFORE_NAMESPACE();
namespace korvel_batch::HWY_NAMESPACE {

// unary_blocks two blocks at a time where both are wholly on the main path:
// the two bodies' long dependency chains (a division, a Horner polynomial)
// then overlap within the processor's window. Other pairs and the tail go
// through unary_blocks, so the order of the scalar calls is kept.
template <class OnPath, class Body>
HWY_INLINE void paired_unary_blocks(std::size_t n, const double* x, double* r, double (*scalar)(double),
                                    OnPath on_path, Body body) {
  const D d;
  const std::size_t lanes = hn::Lanes(d);
  std::size_t i = 0;
  for (; i + 2 * lanes <= n; i += 2 * lanes) {
    const V first = hn::LoadU(d, x + i);
    const V second = hn::LoadU(d, x + i + lanes);
    if (hn::AllTrue(d, hn::And(on_path(d, first), on_path(d, second)))) {
      const V first_result = body(d, first);
      const V second_result = body(d, second);
      hn::StoreU(first_result, d, r + i);
      hn::StoreU(second_result, d, r + i + lanes);
    } else {
      unary_blocks(2 * lanes, x + i, r + i, scalar, on_path, body);
    }
  }
  unary_blocks(n - i, x + i, r + i, scalar, on_path, body);
}

template <class OnPath, class Body>
HWY_INLINE void paired_binary_blocks(std::size_t n, const double* a, const double* b, double* r,
                                     double (*scalar)(double, double), OnPath on_path, Body body) {
  const D d;
  const std::size_t lanes = hn::Lanes(d);
  std::size_t i = 0;
  for (; i + 2 * lanes <= n; i += 2 * lanes) {
    const V first_a = hn::LoadU(d, a + i);
    const V first_b = hn::LoadU(d, b + i);
    const V second_a = hn::LoadU(d, a + i + lanes);
    const V second_b = hn::LoadU(d, b + i + lanes);
    if (hn::AllTrue(d, hn::And(on_path(d, first_a, first_b), on_path(d, second_a, second_b)))) {
      const V first_result = body(d, first_a, first_b);
      const V second_result = body(d, second_a, second_b);
      hn::StoreU(first_result, d, r + i);
      hn::StoreU(second_result, d, r + i + lanes);
    } else {
      binary_blocks(2 * lanes, a + i, b + i, r + i, scalar, on_path, body);
    }
  }
  binary_blocks(n - i, a + i, b + i, r + i, scalar, on_path, body);
}

// The double whose high word is `high` and low word 0: for a non-NaN |v|,
// "high word of |v| < high" is exactly "|v| < word_bound(high)".
template <class D>
HWY_INLINE hn::Vec<D> word_bound(D d, std::int32_t high) {
  return hn::Set(d, double_from_words(high, 0));
}

// Lanes whose high word without the sign is below `high`, by an integer
// compare: ordered compares of doubles raise invalid for a NaN on SSE4 and
// NEON, and the lane masks see the raw arguments.
template <class D>
HWY_INLINE hn::Mask<D> magnitude_below(D d, hn::Vec<D> v, std::int32_t high) {
  const hn::RebindToSigned<D> di;
  return hn::RebindMask(d, hn::Lt(magnitude_lane_bits(v), hn::Set(di, static_cast<std::int64_t>(high) << 32)));
}

// The sign bit of each lane of v, alone.
template <class D>
HWY_INLINE hn::Vec<D> sign_bits(D d, hn::Vec<D> v) {
  return hn::And(v, hn::Set(d, double_from_bits(0x8000000000000000ULL)));
}

// v with its low word cleared.
template <class D>
HWY_INLINE hn::Vec<D> high_part(D d, hn::Vec<D> v) {
  return hn::And(v, hn::Set(d, double_from_bits(0xffffffff00000000ULL)));
}

// atan(a) for a >= 2^-62, infinity included, exactly as __atan. One division
// serves both the table offset s and 1/a; the step-4 polynomial and the 1/a
// polynomial below 65 are one evaluation on a per-lane z. The shorter
// polynomials of the rare lanes are the longer ones with zero coefficients:
// z * 0 adds an exact +0, so the bits are those of the short forms.
template <class D>
HWY_INLINE hn::Vec<D> atan_of_magnitude(D d, hn::Vec<D> a) {
  using namespace atan_constants;
  using V = hn::Vec<D>;
  const hn::RebindToUnsigned<D> du;
  const hn::RebindToSigned<D> di;
  const V one_v = hn::Set(d, one);

  const auto in_poly = hn::Lt(a, word_bound(d, 0x3fc00000));     // a < 1/8
  const auto in_inverse = hn::Ge(a, word_bound(d, 0x40200000));  // a >= 8
  const auto in_table = hn::Not(hn::Or(in_poly, in_inverse));

  // Table region: the nearest reduction point, half up. Other lanes reduce 1.0.
  const V at = hn::IfThenElse(in_table, a, one_v);
  const auto point_bits = hn::And(hn::Add(hn::BitCast(du, at), hn::Set(du, 0x0000800000000000ULL)),
                                  hn::Set(du, 0x7fff000000000000ULL));
  const V y = hn::BitCast(d, point_bits);
  const auto k = hn::Sub(hn::BitCast(di, hn::ShiftRight<48>(point_bits)), hn::Set(di, 0x3fc0));

  V c2 = hn::Set(d, p2);
  V c3 = hn::Set(d, p3);
  V c4 = hn::Set(d, p4);
  V c5 = hn::Set(d, p5);
  V c6 = hn::Set(d, p6);
  V d1 = hn::Set(d, q1);
  V d2 = hn::Set(d, q2);
  V d3 = hn::Set(d, q3);
  V inverse_num = one_v;
  // The rare lanes: below 2^-10 (shorter p), from 2^19 on (t alone, and t = 0
  // from 2^55 on: 0/a instead of 1/a, which could underflow), and a on its
  // reduction point up to the low word (q1 alone; there the rounding add of
  // the point leaves the high word as it is).
  const auto below_step4 = hn::Lt(a, word_bound(d, 0x3f500000));
  const auto t_alone = hn::Ge(a, word_bound(d, 0x41200000));
  const auto on_point = hn::And(
      in_table, hn::RebindMask(d, hn::Eq(hn::And(hn::BitCast(du, a), hn::Set(du, 0x0000ffff00000000ULL)),
                                         hn::Zero(du))));
  const bool any_rare = !hn::AllFalse(d, hn::Or(hn::Or(below_step4, t_alone), on_point));
  if (any_rare) {
    c2 = hn::IfThenZeroElse(hn::Lt(a, word_bound(d, 0x3f100000)), c2);  // p1 alone below 2^-14
    c3 = hn::IfThenZeroElse(below_step4, c3);
    c4 = hn::IfThenZeroElse(below_step4, c4);
    c5 = hn::IfThenZeroElse(below_step4, c5);
    c6 = hn::IfThenZeroElse(below_step4, c6);
    const auto q1_alone = hn::Or(t_alone, on_point);
    d1 = hn::IfThenZeroElse(t_alone, d1);
    d2 = hn::IfThenZeroElse(q1_alone, d2);
    d3 = hn::IfThenZeroElse(q1_alone, d3);
    inverse_num = hn::IfThenZeroElse(hn::Ge(a, word_bound(d, 0x43600000)), inverse_num);
  }

  const V quotient = hn::Div(hn::IfThenElse(in_table, hn::Sub(at, y), inverse_num),
                             hn::IfThenElse(in_table, hn::Add(one_v, hn::Mul(at, y)), a));
  const V u = hn::IfThenElse(in_poly, a, quotient);
  const V z = hn::Mul(u, u);

  V poly_p = hn::Add(c5, hn::Mul(z, c6));
  poly_p = hn::Add(c4, hn::Mul(z, poly_p));
  poly_p = hn::Add(c3, hn::Mul(z, poly_p));
  poly_p = hn::Add(c2, hn::Mul(z, poly_p));
  poly_p = hn::Add(hn::Set(d, p1), hn::Mul(z, poly_p));
  const V poly_q = hn::Add(d1, hn::Mul(z, hn::Add(d2, hn::Mul(z, d3))));

  const auto uses_p = hn::And(in_inverse, hn::Lt(a, word_bound(d, 0x40504000)));  // 8 <= a < 65
  const V r = hn::Mul(u, hn::Add(one_v, hn::Mul(z, hn::IfThenElse(uses_p, poly_p, poly_q))));

  const V poly_result = hn::Add(u, hn::Mul(hn::Mul(z, u), poly_p));
  V atan_lo = hn::Zero(d);
  V atan_hi = hn::Zero(d);
  table_read_pair(d, __libm_TBL_atan_lo, __libm_TBL_atan_hi, k, atan_lo, atan_hi);
  const V table_result = hn::Add(hn::Add(r, atan_lo), atan_hi);
  const V inverse_result = hn::Sub(hn::Set(d, pio2hi), hn::Sub(r, hn::Set(d, pio2lo)));

  V result = hn::IfThenElse(in_poly, poly_result, hn::IfThenElse(in_table, table_result, inverse_result));
  if (any_rare) {
    result = hn::IfThenElse(hn::Lt(a, word_bound(d, 0x3e300000)), a, result);  // atan(a) = a below 2^-28
  }
  return result;
}

// atan(v) for |v| >= 2^-62, infinities included, exactly as __atan: every
// path of the scalar function is odd to the bit in round-to-nearest (x - y is
// -(y - x), a quotient or product with one operand negated is negated, and no
// result is zero), so it is atan(|v|) with v's sign.
template <class D>
HWY_INLINE hn::Vec<D> atan_main_path(D d, hn::Vec<D> v) {
  return hn::Xor(atan_of_magnitude(d, hn::Abs(v)), sign_bits(d, v));
}

// R(t) = p(t)/q(t) of asin and acos, Horner's rule from the innermost term.
template <class D>
HWY_INLINE hn::Vec<D> asin_acos_rational(D d, hn::Vec<D> t) {
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
