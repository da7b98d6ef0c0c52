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

// Exponent fields e of |x| and |y|: both in 1 ... 2046 (normal, finite), and
// ey - ex in -60 ... 60, each as one unsigned compare of an offset value.
template <class D>
HWY_INLINE hn::Mask<D> atan2_on_path(D d, hn::Vec<D> y, hn::Vec<D> x) {
  const hn::RebindToUnsigned<D> du;
  const auto ex = hn::ShiftRight<53>(hn::ShiftLeft<1>(hn::BitCast(du, x)));
  const auto ey = hn::ShiftRight<53>(hn::ShiftLeft<1>(hn::BitCast(du, y)));
  const auto one = hn::Set(du, 1);
  const auto normal = hn::And(hn::Lt(hn::Sub(ex, one), hn::Set(du, 2046)), hn::Lt(hn::Sub(ey, one), hn::Set(du, 2046)));
  const auto near = hn::Lt(hn::Sub(hn::Add(ey, hn::Set(du, 60)), ex), hn::Set(du, 121));
  const auto not_one = hn::Ne(hn::BitCast(du, x), hn::Set(du, 0x3ff0000000000000ULL));
  return hn::RebindMask(d, hn::And(hn::And(normal, near), not_one));
}

template <class D>
HWY_INLINE hn::Vec<D> atan2_main_path(D d, hn::Vec<D> y, hn::Vec<D> x) {
  using namespace atan2_constants;
  const auto z = atan_of_magnitude(d, hn::Div(hn::Abs(y), hn::Abs(x)));
  // Left half-plane: PI - (z - PI_lo); (z - PI_lo) - PI below the axis is its
  // negation, never zero. x is finite and not zero here: the compare raises nothing.
  const auto angle = hn::IfThenElse(hn::Lt(x, hn::Zero(d)), hn::Sub(hn::Set(d, PI), hn::Sub(z, hn::Set(d, PI_lo))), z);
  return hn::Xor(angle, sign_bits(d, y));
}

}  // namespace

void batch_atan2(std::size_t n, const double* y, const double* x, double* r) {
  paired_binary_blocks(
      n, y, x, r, __atan2, [](auto d, auto vy, auto vx) { return atan2_on_path(d, vy, vx); },
      [](auto d, auto vy, auto vx) KORVEL_INLINE_LAMBDA { return atan2_main_path(d, vy, vx); });
}

}  // namespace korvel_batch::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();
