// ceil, floor and rint lane-wise by adding and subtracting 2^52, the
// sequences of integral_by_two52.h: the same value, sign of zero and flags as
// the scalar functions (inexact exactly when the result differs from x).
// Lanes with |x| >= 2^52 (integral, infinite or NaN) go through the scalar
// function. Included after batch_loop.h.
#include "integral_by_two52.h"

HWY_BEFORE_NAMESPACE();
namespace korvel_batch::HWY_NAMESPACE::integral_lanes {

using namespace integral_by_two52;

constexpr std::int64_t pattern(double v) { return __builtin_bit_cast(std::int64_t, v); }

// |x| < 2^52, by the pattern: nothing raised.
HWY_INLINE M below_two52(D d, V x) {
  return hn::RebindMask(d, hn::Lt(magnitude_lane_bits(x), hn::Set(DI(), pattern(two52))));
}

// 2^52 signed like x: -2^52 for -0 too.
HWY_INLINE V signed_two52(D d, V x) { return hn::CopySignToAbs(hn::Set(d, two52), x); }

HWY_INLINE V ceil_body(D d, V x) {
  const V s = signed_two52(d, x);
  V t = hn::Sub(hn::Add(x, s), s);
  // t + 1 is exact for an integral |t| <= 2^52: selecting it raises nothing.
  t = hn::IfThenElse(hn::Lt(t, x), hn::Add(t, hn::Set(d, one)), t);
  return hn::CopySign(t, x);
}

HWY_INLINE V floor_body(D d, V x) {
  const V s = signed_two52(d, x);
  V t = hn::Sub(hn::Add(x, s), s);
  t = hn::IfThenElse(hn::Gt(t, x), hn::Sub(t, hn::Set(d, one)), t);
  return hn::CopySign(t, x);
}

HWY_INLINE V rint_body(D d, V x) {
  const V s = signed_two52(d, x);
  const V t = hn::Add(x, s);
  // t - s is exact: where t == s it is 0, replaced by zero signed like x.
  return hn::IfThenElse(hn::Eq(t, s), hn::CopySign(hn::Zero(d), x), hn::Sub(t, s));
}

}  // namespace korvel_batch::HWY_NAMESPACE::integral_lanes
HWY_AFTER_NAMESPACE();
