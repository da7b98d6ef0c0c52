// Batch exp for one instruction set: the table path of exp (1.5 ln 2 < |x|,
// no overflow, a normal scale) lane-wise with exp's own operations, in its
// order, reading exp's own tables; every other lane through exp itself.
#include <hwy/highway.h>

#include "batch_loop.h"
#include "batch_lane_ops.h"
#include "exp_constants.h"
#include "exp_tables.h"

HWY_BEFORE_NAMESPACE();
namespace korvel_batch::HWY_NAMESPACE {
namespace {

using namespace exp_constants;

constexpr std::int64_t pattern(double v) { return __builtin_bit_cast(std::int64_t, v); }

// Integer compares of |x|'s pattern, as exp's table range test: nothing raised.
HWY_INLINE M exp_on_path(D d, V x) {
  const DI di;
  const VI ax = magnitude_lane_bits(x);
  const auto negative = hn::Lt(lane_bits(x), hn::Zero(di));
  const VI bound = hn::IfThenElse(negative, hn::Set(di, pattern(normal_scale_bound)), hn::Set(di, pattern(threshold1)));
  const auto in_table_range = hn::And(hn::Gt(ax, hn::Set(di, pattern(ln2_onehalf))), hn::Not(hn::Gt(ax, bound)));
  return hn::RebindMask(d, in_table_range);
}

HWY_INLINE V exp_body(D d, V x) {
  const DI di;
  // n = x·32/ln 2 rounded half away from zero, by truncating t.
  const V signed_half = hn::CopySignToAbs(hn::Set(d, half), x);
  const V t = hn::Add(hn::Mul(x, hn::Set(d, invln2_32)), signed_half);
  const V dn = hn::Trunc(t);
  const VI n = hn::Sub(lane_bits(hn::Add(dn, hn::Set(d, integer_shifter))), hn::Set(di, pattern(integer_shifter)));
  const V r = hn::Sub(hn::Sub(x, hn::Mul(dn, hn::Set(d, ln2_32hi))), hn::Mul(dn, hn::Set(d, ln2_32lo)));
  const VI j = hn::And(n, hn::Set(di, 31));
  const VI m = hn::ShiftRight<5>(n);

  const V z = hn::Mul(r, r);
  const V c = hn::Sub(r, hn::Mul(z, hn::Add(hn::Set(d, t1), hn::Mul(z, hn::Set(d, t2)))));
  const V scaled = hn::Div(hn::Mul(table_lookup<32>(d, exp_tbl_2hi, j), r), hn::Sub(c, hn::Set(d, two)));
  const V f = hn::Sub(table_lookup<32>(d, exp_tbl_hi, j), hn::Sub(scaled, table_lookup<32>(d, exp_tbl_lo, j)));
  // 2^m added to the exponent field.
  return from_lane_bits(hn::Add(lane_bits(f), hn::ShiftLeft<52>(m)));
}

}  // namespace

void batch_exp(std::size_t n, const double* x, double* r) { unary_blocks(n, x, r, __exp, exp_on_path, exp_body); }

}  // namespace korvel_batch::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();
