// Batch pow: the scalar pow's general path, lane-wise, for positive normal
// x other than 1 and y with a non-zero low word, 2^-54 <= |y| < 2^127 and
// |y·log2 x| safely below 1020, so that neither the overflow and underflow
// checks nor the wide scaling can be taken. Every other lane (special
// operands, negative x, subnormal x, results near the ends of the range) goes
// to the scalar function.
#include <hwy/highway.h>

#include "batch_loop.h"
#include "batch_lane_ops.h"
#include "korvel_math.h"
#include "libm_tables.h"
#include "pow_constants.h"

HWY_BEFORE_NAMESPACE();
namespace korvel_batch::HWY_NAMESPACE {
namespace {
using namespace pow_constants;

HWY_INLINE VI int_set(std::uint64_t bits) { return hn::Set(DI(), static_cast<std::int64_t>(bits)); }

HWY_INLINE M pow_on_path(D d, V x, V y) {
  const DI di;
  const VI bx = hn::BitCast(di, x);
  const VI by = hn::BitCast(di, y);
  const VI ay = hn::And(by, int_set(0x7fffffffffffffffULL));
  // x positive normal and not 1; y's low word non-zero and 2^-54 <= |y| < 2^127.
  const auto x_ok = hn::AndNot(hn::Eq(bx, int_set(0x3ff0000000000000ULL)),
                               hn::And(hn::Gt(bx, int_set(0x000fffffffffffffULL)), hn::Lt(bx, int_set(0x7ff0000000000000ULL))));
  const auto y_ok = hn::AndNot(hn::Eq(hn::And(by, int_set(0xffffffffULL)), hn::Zero(di)),
                               hn::And(hn::Gt(ay, int_set(0x3c8fffffffffffffULL)), hn::Lt(ay, int_set(0x47e0000000000000ULL))));
  const auto operands_ok = hn::And(x_ok, y_ok);
  // |log2 x| < |e| + 1 for x = 2^e·m. y cut to its high word (21 bits) times
  // |e| + 1 (11 bits) is exact, so the test raises nothing; below 1000 it keeps
  // |z| < 1000·(1 + 2^-20) and the scale 2^(z rounded) inside the normal range.
  const VI e = hn::Sub(shift_right_non_negative<52>(hn::IfThenElse(operands_ok, bx, int_set(0x3ff0000000000000ULL))), int_set(1023));
  const VI bound = hn::Add(hn::Abs(e), int_set(1));
  const V y_head = hn::BitCast(d, hn::IfThenElseZero(operands_ok, hn::And(ay, int_set(0x7fffffff00000000ULL))));
  const M moderate = hn::Lt(hn::Mul(y_head, small_integer_to_double(d, bound)), hn::Set(d, 1000.0));
  return hn::And(hn::RebindMask(d, operands_ok), moderate);
}

// log2 x as head t1 (24 significant bits) + tail t2, for positive normal x != 1.
HWY_INLINE void log2_x(D d, V x, VI bx, V& t1, V& t2) {
  const VI hx = shift_right_non_negative<32>(bx);
  const M near = hn::RebindMask(
      d, hn::And(hn::Gt(hx, int_set(0x3fef03f0)), hn::Lt(hx, int_set(0x3ff08208))));

  // Away from one: x = 2^n·m, m rounded to u on the grid of 1/128; a carry
  // to u = 2 raises n and wraps j to 0.
  const VI m_bits = hn::Or(hn::And(bx, int_set(0x000fffffffffffffULL)), int_set(0x3ff0000000000000ULL));
  const V m = hn::BitCast(d, m_bits);
  const V u = hn::BitCast(d, hn::And(hn::Add(m_bits, int_set(0x0000100000000000ULL)), int_set(0xffffe00000000000ULL)));
  const VI j = hn::And(shift_right_non_negative<13>(hn::Add(shift_right_non_negative<32>(m_bits), int_set(0x1000))), int_set(127));
  const VI n = hn::Sub(shift_right_non_negative<20>(hn::Add(hx, int_set(0x1000))), int_set(1023));

  // Near one f = x - 1; 1 in the other lanes, so that their near-one forms
  // stay zero and raise nothing.
  const V one_v = hn::Set(d, one);
  const V f_near = hn::Sub(hn::IfThenElse(near, x, one_v), one_v);
  // One division for both forms: 1/(2 + f) near one, 1/(m + u) else.
  const V q = hn::Div(one_v, hn::IfThenElse(near, hn::Add(hn::Set(d, two), f_near), hn::Add(m, u)));

  const V f = hn::Sub(m, u);
  const V s = hn::Mul(f, q);
  V log2_hi;
  V log2_lo;
  table_read_pair(d, __libm_TBL_log2_hi, __libm_TBL_log2_lo, j, log2_hi, log2_lo);
  const V hm = hn::Add(small_integer_to_double(d, n), log2_hi);
  const V s_h = to_single(d, s);
  const V z = hn::Mul(s, s);
  const V s_h_A1_hi = hn::Mul(s_h, hn::Set(d, A1_hi));
  const V T = hn::Add(s_h_A1_hi, hm);
  const V e = hn::Sub(hn::Sub(T, hm), s_h_A1_hi);
  const V s_l = hn::Mul(q, hn::Sub(hn::Sub(f, hn::Mul(hn::Add(s_h, s_h), u)), hn::Mul(s_h, f)));
  const V r = hn::Add(
      hn::Add(hn::Add(hn::Mul(s_l, hn::Set(d, A1)), hn::Mul(s_h, hn::Set(d, A1_lo))),
              hn::Mul(hn::Mul(s, z), hn::Add(hn::Set(d, A2), hn::Mul(z, hn::Set(d, A3))))),
      hn::Sub(log2_lo, e));
  t1 = to_single(d, hn::Add(T, r));
  t2 = hn::Sub(r, hn::Sub(t1, T));
  if (hn::AllFalse(d, near)) return;

  // log2 x = 2/ln2 · atanh(s), s = f/(2 + f) split head + tail.
  const V f_h = to_single(d, f_near);
  const V f_l = hn::Sub(f_near, f_h);
  const V s1 = hn::Mul(f_near, q);
  const V s1_h = to_single(d, s1);
  const V z1 = hn::Mul(s1, s1);
  const V s1_l = hn::Mul(
      q, hn::Sub(hn::Sub(hn::Sub(f_near, hn::Mul(hn::Set(d, two), s1_h)), hn::Mul(s1_h, f_h)), hn::Mul(s1_h, f_l)));
  const V w = hn::Add(
      hn::Add(hn::Mul(s1_h, hn::Set(d, B0_lo)),
              hn::Mul(s1, hn::Mul(z1, hn::Add(hn::Set(d, B1),
                                              hn::Mul(z1, hn::Add(hn::Set(d, B2),
                                                                  hn::Mul(z1, hn::Add(hn::Set(d, B3),
                                                                                      hn::Mul(z1, hn::Set(d, B4)))))))))),
      hn::Mul(s1_l, hn::Set(d, B0)));
  const V head = hn::Mul(s1_h, hn::Set(d, B0_hi));
  const V t1_near = to_single(d, hn::Add(head, w));
  const V t2_near = hn::Sub(w, hn::Sub(t1_near, head));
  t1 = hn::IfThenElse(near, t1_near, t1);
  t2 = hn::IfThenElse(near, t2_near, t2);
}

HWY_INLINE V pow_body(D d, V x, V y) {
  const DI di;
  const VI bx = hn::BitCast(di, x);
  const VI by = hn::BitCast(di, y);
  V t1;
  V t2;
  log2_x(d, x, bx, t1, t2);

  // z = y·log2 x as p_h + p_l with p_h exact: y cut to 24 bits when its low
  // 27 bits are not all zero. |y| >= 2^-54 keeps the unselected form clear of
  // underflow.
  const M split = hn::RebindMask(d, hn::Ne(hn::And(by, int_set(0x07ffffffULL)), hn::Zero(di)));
  const V y_t2 = hn::Mul(y, t2);
  const V y1 = to_single(d, y);
  const V y2 = hn::Sub(y, y1);
  const V p_h = hn::IfThenElse(split, hn::Mul(y1, t1), hn::Mul(y, t1));
  const V p_l = hn::IfThenElse(split, hn::Add(hn::Mul(y2, t1), y_t2), y_t2);
  const V z = hn::Add(p_h, p_l);

  // n = 64 z rounded half away from zero; z's sign is y's sign times that of
  // x - 1, put on the half.
  const VI z_sign = hn::And(hn::Xor(by, hn::Sub(bx, int_set(0x3ff0000000000000ULL))), int_set(0x8000000000000000ULL));
  const V signed_half = hn::BitCast(d, hn::Or(hn::BitCast(di, hn::Set(d, half)), z_sign));
  const hn::Rebind<std::int32_t, D> d32;
  const auto n32 = hn::DemoteTo(d32, hn::Add(hn::Mul(hn::Set(d, sixty_four), z), signed_half));
  const V dn = hn::PromoteTo(d, n32);
  const VI n = hn::PromoteTo(di, n32);
  const VI j = hn::And(n, int_set(63));
  const VI m = hn::ShiftRight<6>(n);
  const V t = hn::Sub(p_l, hn::Sub(hn::Mul(dn, hn::Set(d, one_sixty_fourth)), p_h));
  V hi;
  V lo;
  table_read_pair(d, __libm_TBL_exp2_hi, __libm_TBL_exp2_lo, j, hi, lo);
  const V poly = hn::Add(
      hn::Set(d, E1),
      hn::Mul(t, hn::Add(hn::Set(d, E2),
                         hn::Mul(t, hn::Add(hn::Set(d, E3), hn::Mul(t, hn::Add(hn::Set(d, E4), hn::Mul(t, hn::Set(d, E5)))))))));
  const V r = hn::Add(hn::Add(lo, hn::Mul(hn::Mul(hi, t), poly)), hi);
  // r·2^m on the exponent field: -1021 <= m < 1023 here.
  return hn::BitCast(d, hn::Add(hn::BitCast(di, r), hn::ShiftLeft<52>(m)));
}
}  // namespace

void batch_pow(std::size_t n, const double* x, const double* y, double* r) {
  binary_blocks(
      n, x, y, r, __pow, [](D d, V a, V b) __attribute__((always_inline)) { return pow_on_path(d, a, b); },
      [](D d, V a, V b) __attribute__((always_inline)) { return pow_body(d, a, b); });
}
}  // namespace korvel_batch::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();
