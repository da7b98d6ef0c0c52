// The main paths of sin, cos and tan over a vector of lanes: the reduction
// modulo pi/2 below 2^20 pi/2 and the table-driven kernels, lane by lane the
// operations of the scalar functions in their order, each branch a select on
// the same high-word patterns. Included by batch_sin.cpp, batch_cos.cpp and
// batch_tan.cpp after batch_loop.h.
//
// Lanes on the path: 2^-27 <= |x| < 2^20 pi/2 (high words 0x3E400000 up to
// 0x413921FB). The scalar functions raise inexact for every such argument, so
// the unselected sides computed here (fed only finite, moderate values) add no
// flag of their own; smaller arguments, where zero stays exact, and the rest
// take the scalar functions.
#pragma once

#include <cstdint>

// Every lane computes every branch, some 45 operations a lane, which two lanes
// do not win back: on SSE4 the vector form took 1.3 to 1.8 times the scalar
// loop's time. Targets of two lanes or one (SSE4, NEON, the portable ones)
// keep the scalar loop; AVX2, AVX-512 and SVE take the vector form.
#if HWY_TARGET == HWY_SSE4 || HWY_TARGET == HWY_NEON || HWY_TARGET == HWY_EMU128 || HWY_TARGET == HWY_SCALAR
#define KORVEL_TRIG_VECTOR_FORM 0
#else
#define KORVEL_TRIG_VECTOR_FORM 1
#endif

#if KORVEL_TRIG_VECTOR_FORM

#include "batch_lane_ops.h"
#include "libm_tables.h"
#include "trig_constants.h"

HWY_BEFORE_NAMESPACE();
namespace korvel_batch::HWY_NAMESPACE {
namespace trig_batch {

using DU = hn::RebindToUnsigned<D>;
using VU = hn::Vec<DU>;
using MI = hn::Mask<DI>;

// A high word as the 64-bit pattern it starts: on |x|'s pattern, "ix < w" is
// "pattern < first_pattern(w)".
constexpr std::int64_t first_pattern(std::uint32_t high_word) { return static_cast<std::int64_t>(high_word) << 32; }

HWY_INLINE M as_double_mask(MI m) { return hn::RebindMask(D(), m); }

// An integer constant as the broadcast of a double's pattern: one load, where a
// 64-bit immediate would take three instructions to reach the vector unit.
HWY_INLINE VI pattern(std::uint64_t bits) { return lane_bits(hn::Set(D(), double_from_bits(bits))); }

// "ix < w" as a compare of |x| with the first double of high word w: ordered
// like the patterns, and a quiet compare of numbers raises nothing.
HWY_INLINE M high_word_below(V magnitude, std::uint32_t high_word) {
  return hn::Lt(magnitude, hn::Set(D(), double_from_bits(static_cast<std::uint64_t>(first_pattern(high_word)))));
}

// The sign bit of each lane, zero elsewhere: Xor with it negates where x is negative.
HWY_INLINE V sign_of(V x) { return hn::And(x, hn::Set(D(), -0.0)); }

// x with its low 32 bits cleared.
HWY_INLINE V without_low_word(V x) {
  const DU du;
  return hn::BitCast(D(), hn::And(hn::BitCast(du, x), hn::BitCast(du, pattern(0xFFFFFFFF00000000ULL))));
}

// A nonnegative pattern shifted right (a logical shift: one instruction everywhere).
template <int bits>
HWY_INLINE VI shifted_right(VI pattern) {
  return hn::BitCast(DI(), hn::ShiftRight<bits>(hn::BitCast(DU(), pattern)));
}

// Biased exponent of |v| (v finite).
HWY_INLINE VI biased_exponent(V v) { return shifted_right<52>(magnitude_lane_bits(v)); }

// Out parameters rather than a record: SVE's vectors cannot be members.
// The reduction of the scalar wrappers: the argument itself up to the high word
// of pi/4, one multiple of pi/2 below 3pi/4, else the Cody-Waite steps the
// cancellation asks for. Below 3pi/4 n is 1 and the first medium step is the
// same operations on the same values as the one-step branch, so one
// computation serves both; the lanes where the branches part (more than 16
// bits cancelled, the high word of pi/2 among them) are rare and make the
// whole vector take every branch. Lanes: 2^-27 <= |x| < 2^20 pi/2.
// x = n pi/2 + head + tail; quadrant_bits holds n + quadrant_offset in its two
// low bits (from n + quadrant_offset + 1.5*2^52, exact: |n| < 2^21).
// Returns whether the block is ordinary: no lane took the rare branch, so
// every head is at least 2^-13 in magnitude and every nonzero tail is far
// above the smallest normal (it is the rounding error of fn*pio2_1t, at least
// about 2^-86), which the lean kernels below rely on.
HWY_INLINE bool reduce(D d, V x, double quadrant_offset, V& head, V& tail, VU& quadrant_bits) {
  using namespace reduction;
  const DI di;
  const V t = hn::Abs(x);
  const V sign = sign_of(x);

  const V nearest = hn::Add(hn::Mul(t, hn::Set(d, invpio2)), hn::Set(d, half));
  V fn = hn::Trunc(nearest);
  V r = hn::Sub(t, hn::Mul(fn, hn::Set(d, pio2_1)));
  V w = hn::Mul(fn, hn::Set(d, pio2_1t));
  V y0 = hn::Sub(r, w);
  // More than 16 bits lost, j - (exponent of y0) > 16: |y0| below 2^-16 times
  // the power of two of t (exact).
  const V power_of_t = hn::And(t, hn::Set(d, double_from_bits(0x7ff0000000000000ULL)));
  // Only these lanes part from the one-step branch below 3pi/4: there
  // t*2/pi + 1/2 lies in [1, 2) with a margin far above an ulp, so fn is 1 and
  // the first medium step is that branch's operations; and at the high word of
  // pi/2, where that branch takes 33 more bits, at least 20 bits cancel.
  // Heads below 2^-13 (the kernels' short polynomials) count as rare too, so
  // that an ordinary block has none: the rare branch leaves those lanes as
  // they are (y0 = t where no reduction is needed) and the block takes the
  // full kernels.
  const V rare_bound = hn::Max(hn::Mul(power_of_t, hn::Set(d, 0x1p-16)), hn::Set(d, 0x1p-13));
  const bool ordinary = hn::AllFalse(d, hn::Lt(hn::Abs(y0), rare_bound));
  if (HWY_UNLIKELY(!ordinary)) {
    const VI magnitude = magnitude_lane_bits(x);
    const VI high = shifted_right<32>(magnitude);
    const VI j = shifted_right<52>(magnitude);
    const MI second = hn::Gt(hn::Sub(j, biased_exponent(y0)), hn::Set(di, 16));
    const MI at_pio2 = hn::Eq(high, hn::Set(di, 0x3ff921fb));
    const V w2 = hn::Mul(fn, hn::Set(d, pio2_2));
    const V w2t = hn::Mul(fn, hn::Set(d, pio2_2t));
    const V r2 = hn::Sub(r, w2);
    // 17 <= d <= 34: the second step with its rounding error carried.
    const MI compensated = hn::AndNot(hn::Gt(hn::Sub(j, biased_exponent(y0)), hn::Set(di, 34)), second);
    const V w2c = hn::Sub(w2t, hn::Sub(hn::Sub(r, r2), w2));
    const V y0c = hn::Sub(r2, w2c);
    // d >= 35: r - fn*pio2_2 is exact; a third step when still more has cancelled.
    const V y0e = hn::Sub(r2, w2t);
    const MI third = hn::AndNot(compensated, hn::And(second, hn::Gt(hn::Sub(j, biased_exponent(y0e)), hn::Set(di, 49))));
    V r_taken = hn::IfThenElse(as_double_mask(second), r2, r);
    V w_taken = hn::IfThenElse(as_double_mask(compensated), w2c, hn::IfThenElse(as_double_mask(second), w2t, w));
    V y0_taken = hn::IfThenElse(as_double_mask(compensated), y0c, hn::IfThenElse(as_double_mask(second), y0e, y0));
    const MI compensated3 = hn::And(third, hn::Lt(hn::Sub(j, biased_exponent(y0e)), hn::Set(di, 68)));
    const V w3 = hn::Mul(fn, hn::Set(d, pio2_3));
    const V w3t = hn::Mul(fn, hn::Set(d, pio2_3t));
    const V r3 = hn::Sub(r2, w3);
    const V w3c = hn::Sub(w3t, hn::Sub(hn::Sub(r2, r3), w3));
    const V w3_taken = hn::IfThenElse(as_double_mask(compensated3), w3c, w3t);
    r_taken = hn::IfThenElse(as_double_mask(third), r3, r_taken);
    w_taken = hn::IfThenElse(as_double_mask(third), w3_taken, w_taken);
    y0_taken = hn::IfThenElse(as_double_mask(third), hn::Sub(r3, w3_taken), y0_taken);

    // Below 3pi/4: n = 1, z = t - pio2_1; at the high word of pi/2, 33 more
    // bits of pi/2 before the rest.
    const M near = high_word_below(t, 0x4002d97c);
    const M at_pio2_lane = as_double_mask(at_pio2);
    V z = hn::Sub(t, hn::Set(d, pio2_1));
    z = hn::IfThenElse(at_pio2_lane, hn::Sub(z, hn::Set(d, pio2_2)), z);
    const V rest = hn::IfThenElse(at_pio2_lane, hn::Set(d, pio2_2t), hn::Set(d, pio2_1t));
    r = hn::IfThenElse(near, z, r_taken);
    w = hn::IfThenElse(near, rest, w_taken);
    y0 = hn::IfThenElse(near, hn::Sub(z, rest), y0_taken);
    fn = hn::IfThenElse(near, hn::Set(d, 1.0), fn);
  }
  const V y1 = hn::Sub(hn::Sub(r, y0), w);

  const M direct = high_word_below(t, 0x3fe921fc);
  head = hn::IfThenElse(direct, x, hn::Xor(y0, sign));
  tail = hn::IfThenZeroElse(direct, hn::Xor(y1, sign));
  // n negated with x; 0 where the argument needs no reduction.
  const V n = hn::Xor(hn::IfThenZeroElse(direct, fn), sign);
  quadrant_bits = hn::BitCast(DU(), hn::Add(n, hn::Set(d, 0x1.8p52 + quadrant_offset)));
  return ordinary;
}

// Lanes whose bit `bit` of the quadrant is set.
template <int bit>
HWY_INLINE M quadrant_bit(VU quadrant_bits) {
  const DU du;
  const VU one_bit = hn::Set(du, std::uint64_t{1} << bit);
  return hn::RebindMask(D(), hn::Eq(hn::And(quadrant_bits, one_bit), one_bit));
}

// The kernels' split of |x| at the nearest breakpoint, the tail folded in:
// the table index and S ~ sin t, C ~ cos t - 1 of the offset t.
// Lean: the tail is added whatever it is (a zero tail adds nothing: t is
// never -0).
template <bool lean>
HWY_INLINE void split_at_breakpoint(D d, V x, V y, M tail_takes_part, VI& index, V& S, V& C) {
  using namespace trig_kernel;
  // Words (high word of |x| + 0x4000) & 0x7fff8000 and 0: no carry reaches the sign bit.
  const V breakpoint = from_lane_bits(hn::And(hn::Add(lane_bits(x), pattern(0x0000400000000000ULL)),
                                              pattern(0x7fff800000000000ULL)));
  V t = hn::Sub(hn::Abs(x), breakpoint);
  // t + y for positive x, t - y = t + (-y) for negative x.
  if constexpr (lean) {
    t = hn::Add(t, hn::Xor(y, sign_of(x)));
  } else {
    t = hn::IfThenElse(tail_takes_part, hn::Add(t, hn::Xor(y, sign_of(x))), t);
  }
  const V z = hn::Mul(t, t);
  // Lanes below the table read entry 0 (their result is not taken); no lane
  // on the path lies above entry 74.
  const V first_breakpoint = hn::Set(d, double_from_bits(0x3FC4000000000000ULL));
  index = hn::Sub(shifted_right<47>(lane_bits(hn::Max(breakpoint, first_breakpoint))),
                        pattern(0x3fc40000 >> 15));
  C = hn::Mul(z, hn::Add(hn::Set(d, qq1), hn::Mul(z, hn::Set(d, qq2))));
  S = hn::Mul(t, hn::Add(hn::Set(d, one), hn::Mul(z, hn::Add(hn::Set(d, pp1), hn::Mul(z, hn::Set(d, pp2))))));
}

// The tail counts when its high word without the sign bit is nonzero.
HWY_INLINE M tail_takes_part(V y) {
  return as_double_mask(hn::Gt(magnitude_lane_bits(y), pattern(0xffffffffULL)));
}

// Per lane the sine kernel of the quadrant: k_sin(x, y) for bit 0 clear,
// k_cos(x, y) for bit 0 set, negated for bit 1 set. The lean form is for an
// ordinary block (see reduce): no head below 2^-13, so neither the tiny nor
// the short-polynomial branch, and a tail that takes part unless it is zero.
// Sine and cosine of the breakpoint share one form: the cosine's
// CL - (SH*S - CH*C) is CL + ((-SH)*S + CH*C) bit for bit (rounding to nearest
// is symmetric), so A + (L + (B*S + A*C)) with (A, B, L) = (SH, CH, SL) or
// (CH, -SH, CL).
template <bool lean>
HWY_INLINE V sin_or_cos_kernel(D d, V x, V y, VU quadrant_bits) {
  using namespace trig_kernel;
  const M use_cos = quadrant_bit<0>(quadrant_bits);
  const V magnitude = hn::Abs(x);
  const M tail = tail_takes_part(y);
  const V table_start = hn::IfThenElse(use_cos, hn::Set(d, double_from_bits(0x3fc4000000000000ULL)),
                                       hn::Set(d, double_from_bits(0x3fc9000000000000ULL)));
  const M below_table = hn::Lt(magnitude, table_start);
  const M tiny = high_word_below(magnitude, 0x3e400000);
  const M short_polynomial = high_word_below(magnitude, 0x3f200000);
  const V sign = sign_of(x);

  VI index = hn::Zero(DI());
  V S = hn::Zero(d);
  V C = hn::Zero(d);
  split_at_breakpoint<lean>(d, x, y, tail, index, S, C);
  const V sh = table_read(d, __libm_TBL_sin_hi, index);
  const V sl = table_read(d, __libm_TBL_sin_lo, index);
  const V ch = table_read(d, __libm_TBL_cos_hi, index);
  const V cl = table_read(d, __libm_TBL_cos_lo, index);
  const V a = hn::IfThenElse(use_cos, ch, sh);
  const V b = hn::IfThenElse(use_cos, hn::Neg(sh), ch);
  const V l = hn::IfThenElse(use_cos, cl, sl);
  V table = hn::Add(a, hn::Add(l, hn::Add(hn::Mul(b, S), hn::Mul(a, C))));
  // The sine's (-SH) - r for negative x is -(SH + r).
  table = hn::Xor(table, hn::IfThenZeroElse(use_cos, sign));

  // Below the table: sine x + x*(z*(p1 + z*P)) (the tail added to the
  // correction first), cosine one + z*(q1 + z*P); one*w is w exactly and
  // +0 + r is r (r is never zero here).
  const V c1 = hn::IfThenElse(use_cos, hn::Set(d, q1), hn::Set(d, p1));
  const V c2 = hn::IfThenElse(use_cos, hn::Set(d, q2), hn::Set(d, p2));
  const V c3 = hn::IfThenElse(use_cos, hn::Set(d, q3), hn::Set(d, p3));
  const V c4 = hn::IfThenElse(use_cos, hn::Set(d, q4), hn::Set(d, p4));
  const V z = hn::Mul(x, x);
  const V long_p = hn::Add(c2, hn::Mul(z, hn::Add(c3, hn::Mul(z, c4))));
  const V p = lean ? long_p : hn::IfThenElse(short_polynomial, c2, long_p);
  const V w = hn::Mul(z, hn::Add(c1, hn::Mul(z, p)));
  const V base = hn::IfThenElse(use_cos, hn::Set(d, one), x);
  const V r = hn::Mul(base, w);
  // y + r is r for a zero y (r is not zero).
  const V added_tail = lean ? hn::IfThenZeroElse(use_cos, y) : hn::IfThenElseZero(hn::AndNot(use_cos, tail), y);
  const V polynomial = hn::Add(base, hn::Add(added_tail, r));

  // Below 2^-27 (reached only by reduced arguments): x or one.
  const V result = hn::IfThenElse(below_table, lean ? polynomial : hn::IfThenElse(tiny, base, polynomial), table);
  // Bit 1 of the quadrant moved to the sign bit.
  const V negate = hn::And(hn::BitCast(d, hn::ShiftLeft<62>(quadrant_bits)), hn::Set(d, -0.0));
  return hn::Xor(result, negate);
}

// Per lane k_tan(x, y, k) with k bit 0 of the quadrant. Each lane needs one
// quotient at most: one division serves the three branches that divide.
// Lean as the sine kernel's.
template <bool lean>
HWY_INLINE V tan_kernel(D d, V x, V y, VU quadrant_bits) {
  using namespace trig_kernel;
  const M odd = quadrant_bit<0>(quadrant_bits);
  const V magnitude = hn::Abs(x);
  const M tail = tail_takes_part(y);
  const M below_table = high_word_below(magnitude, 0x3fc40000);
  const M tiny = high_word_below(magnitude, 0x3e400000);
  const M short_polynomial = high_word_below(magnitude, 0x3f200000);
  const V sign = sign_of(x);
  const V v_one = hn::Set(d, one);

  // The table: k = 0 adds sin t (1 + TH^2) / (cos t - TH sin t) to TH; k = 1
  // forms the quotient (1 - e) / w with one correction step.
  VI index = hn::Zero(DI());
  V S = hn::Zero(d);
  V C = hn::Zero(d);
  split_at_breakpoint<lean>(d, x, y, tail, index, S, C);
  const V th = table_read(d, __libm_TBL_tan_hi, index);
  const V tl = table_read(d, __libm_TBL_tan_lo, index);
  const V u = hn::Mul(th, S);
  const V e = hn::Sub(u, C);
  const V numerator = hn::Add(S, hn::Mul(th, u));
  const V denominator = hn::Sub(v_one, e);
  // -TH and -g for positive x.
  const V h = hn::Xor(hn::Neg(th), sign);
  const V g = hn::Xor(hn::Neg(hn::Add(tl, hn::Add(S, hn::Mul(th, C)))), sign);
  const V w_table = hn::Add(h, g);

  // Below the table: w = x + r; below 2^-27 w = x with the raw tail as r.
  const V z = hn::Mul(x, x);
  V p_long = hn::Add(hn::Set(d, t5), hn::Mul(z, hn::Set(d, t6)));
  p_long = hn::Add(hn::Set(d, t4), hn::Mul(z, p_long));
  p_long = hn::Add(hn::Set(d, t3), hn::Mul(z, p_long));
  p_long = hn::Add(hn::Set(d, t2), hn::Mul(z, p_long));
  p_long = hn::Add(hn::Set(d, t1), hn::Mul(z, p_long));
  V p = p_long;
  if constexpr (!lean) p = hn::IfThenElse(short_polynomial, hn::Add(hn::Set(d, t1), hn::Mul(z, hn::Set(d, t2))), p_long);
  V r = hn::Mul(x, hn::Mul(z, p));
  r = lean ? hn::Add(y, r) : hn::IfThenElse(tail, hn::Add(y, r), r);
  const V w_low = lean ? hn::Add(x, r) : hn::IfThenElse(tiny, x, hn::Add(x, r));
  const V r_low = lean ? r : hn::IfThenElse(tiny, y, r);

  // The table's k = 0 quotient has the same form as 1 - e over w; the
  // denominator 1 - e of k = 0 is also the numerator d of k = 1.
  const V quotient =
      hn::Div(hn::IfThenElse(below_table, hn::Set(d, negone), hn::IfThenElse(odd, v_one, numerator)),
              hn::IfThenElse(below_table, w_low, hn::IfThenElse(odd, w_table, denominator)));

  const V even_table = hn::Xor(hn::Add(th, hn::Add(tl, quotient)), sign);
  const V w_table_hi = without_low_word(w_table);
  const V v_table = hn::Add(hn::Sub(h, w_table_hi), g);
  const V q_hi = without_low_word(hn::Mul(denominator, quotient));
  const V odd_table = hn::Add(
      q_hi, hn::Mul(quotient, hn::Sub(hn::Sub(hn::Sub(v_one, hn::Mul(q_hi, w_table_hi)), e), hn::Mul(q_hi, v_table))));

  const V w_low_hi = without_low_word(w_low);
  const V v_low = hn::Add(hn::Sub(x, w_low_hi), r_low);
  const V t_hi = without_low_word(quotient);
  const V odd_low =
      hn::Add(t_hi, hn::Mul(quotient, hn::Add(hn::Add(v_one, hn::Mul(t_hi, w_low_hi)), hn::Mul(t_hi, v_low))));

  return hn::IfThenElse(below_table, hn::IfThenElse(odd, odd_low, w_low), hn::IfThenElse(odd, odd_table, even_table));
}

// The whole main path of sin (quadrant offset 0), cos (offset 1) or tan: the
// reduction, then the lean kernels for an ordinary block, the full ones otherwise.
template <bool tangent>
HWY_INLINE V reduced_kernel(D d, V x, double quadrant_offset) {
  V head = hn::Zero(d);
  V tail = hn::Zero(d);
  VU quadrant_bits = hn::Zero(DU());
  const bool ordinary = reduce(d, x, quadrant_offset, head, tail, quadrant_bits);
  if constexpr (tangent) {
    return ordinary ? tan_kernel<true>(d, head, tail, quadrant_bits) : tan_kernel<false>(d, head, tail, quadrant_bits);
  } else {
    return ordinary ? sin_or_cos_kernel<true>(d, head, tail, quadrant_bits)
                    : sin_or_cos_kernel<false>(d, head, tail, quadrant_bits);
  }
}

// The lanes the vector forms take.
HWY_INLINE M on_path(V x) {
  // Integer compares: NaNs are among the arguments here.
  const VI magnitude = magnitude_lane_bits(x);
  return as_double_mask(hn::And(hn::Gt(magnitude, pattern(first_pattern(0x3e400000) - 1)),
                                hn::Lt(magnitude, pattern(first_pattern(0x413921fc)))));
}

}  // namespace trig_batch
}  // namespace korvel_batch::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#endif  // KORVEL_TRIG_VECTOR_FORM
