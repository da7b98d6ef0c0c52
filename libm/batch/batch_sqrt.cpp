// Batch sqrt for one instruction set: the packed square root, which is the
// correctly rounded one; negative arguments (the domain error) through sqrt.
#include <hwy/highway.h>

#include "batch_loop.h"

HWY_BEFORE_NAMESPACE();
namespace korvel_batch::HWY_NAMESPACE {
namespace {

// Sign clear, ±0 or NaN: where sqrt returns the instruction's result as it is.
HWY_INLINE M sqrt_on_path(D d, V x) {
  const DI di;
  const VI ax = magnitude_lane_bits(x);
  const auto positive = hn::Not(hn::Lt(lane_bits(x), hn::Zero(di)));
  const auto zero_or_nan = hn::Or(hn::Eq(ax, hn::Zero(di)), hn::Gt(ax, hn::Set(di, std::int64_t{0x7ff0000000000000})));
  return hn::RebindMask(d, hn::Or(positive, zero_or_nan));
}

HWY_INLINE V sqrt_body(D, V x) { return hn::Sqrt(x); }

}  // namespace

void batch_sqrt(std::size_t n, const double* x, double* r) { unary_blocks(n, x, r, __sqrt, sqrt_on_path, sqrt_body); }

}  // namespace korvel_batch::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();
