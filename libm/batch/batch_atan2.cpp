// atan2 over arrays: both operands normal and finite, x not 1.0, and their
// exponents at most 60 apart, lane-wise; the special operands, subnormals and
// the far quotients go to __atan2.
#include <cstddef>

#include <hwy/highway.h>

#include "atan2_constants.h"
#include "batch_loop.h"
#include "inverse_trig_batch.h"

HWY_BEFORE_NAMESPACE();
namespace korvel_batch::HWY_NAMESPACE {

namespace {

template <class D>
HWY_INLINE hn::Mask<D> atan2_on_path(D d, hn::Vec<D> y, hn::Vec<D> x) {
  const hn::RebindToUnsigned<D> du;
  const hn::RebindToSigned<D> di;
  const auto normal = hn::And(hn::AndNot(magnitude_below(d, x, 0x00100000), magnitude_below(d, x, 0x7ff00000)),
                              hn::AndNot(magnitude_below(d, y, 0x00100000), magnitude_below(d, y, 0x7ff00000)));
  const auto ax = hn::Abs(x);
  const auto ay = hn::Abs(y);
  const auto not_one = hn::Ne(hn::BitCast(du, x), hn::Set(du, 0x3ff0000000000000ULL));
  // Exponent difference in -60 ... 60: offset by 60 it is below 121.
  const auto exponent_gap = hn::Sub(hn::BitCast(di, hn::ShiftRight<52>(hn::BitCast(du, ay))),
                                    hn::BitCast(di, hn::ShiftRight<52>(hn::BitCast(du, ax))));
  const auto near = hn::Lt(hn::BitCast(du, hn::Add(exponent_gap, hn::Set(di, 60))), hn::Set(du, 121));
  return hn::And(normal, hn::RebindMask(d, hn::And(not_one, near)));
}

template <class D>
HWY_INLINE hn::Vec<D> atan2_main_path(D d, hn::Vec<D> y, hn::Vec<D> x) {
  using namespace atan2_constants;
  const hn::RebindToUnsigned<D> du;
  const auto z = atan_of_magnitude(d, hn::Div(hn::Abs(y), hn::Abs(x)));
  // Left half-plane: PI - (z - PI_lo); (z - PI_lo) - PI below the axis is its negation, never zero.
  const auto x_negative = hn::RebindMask(d, hn::Ne(hn::BitCast(du, sign_bits(d, x)), hn::Zero(du)));
  const auto angle = hn::IfThenElse(x_negative, hn::Sub(hn::Set(d, PI), hn::Sub(z, hn::Set(d, PI_lo))), z);
  return hn::Xor(angle, sign_bits(d, y));
}

}  // namespace

void batch_atan2(std::size_t n, const double* y, const double* x, double* r) {
  paired_binary_blocks(
      n, y, x, r, __atan2, [](auto d, auto vy, auto vx) { return atan2_on_path(d, vy, vx); },
      [](auto d, auto vy, auto vx) INVERSE_TRIG_INLINE_BODY { return atan2_main_path(d, vy, vx); });
}

}  // namespace korvel_batch::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();
