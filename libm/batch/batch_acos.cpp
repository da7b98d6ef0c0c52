// acos over arrays: |x| < 1 above the pi/2 constant's range lane-wise; that
// range (high word up to 0x3c600000, whose x*x would underflow), |x| >= 1 and
// NaN go to __acos.
#include <cstddef>

#include <hwy/highway.h>

#include "batch_loop.h"
#include "inverse_trig_batch.h"

HWY_BEFORE_NAMESPACE();
namespace korvel_batch::HWY_NAMESPACE {

namespace {

template <class D>
HWY_INLINE hn::Vec<D> acos_main_path(D d, hn::Vec<D> x) {
  using namespace asin_acos_constants;
  using V = hn::Vec<D>;
  const V two = hn::Set(d, 2.0);
  const V a = hn::Abs(x);
  const auto below_half = hn::Lt(a, word_bound(d, 0x3fe00000));
  // One R(z) for all three: z = x*x below 0.5, (1 - |x|)/2 above (1 + x for
  // negative x is the same operation).
  const V z = hn::IfThenElse(below_half, hn::Mul(x, x), hn::Mul(hn::Sub(hn::Set(d, one), a), hn::Set(d, 0.5)));
  const V rational = asin_acos_rational(d, z);
  const V small_result =
      hn::Sub(hn::Set(d, pio2_hi), hn::Sub(x, hn::Sub(hn::Set(d, pio2_lo), hn::Mul(x, rational))));
  if (hn::AllTrue(d, below_half)) return small_result;

  const V s = hn::Sqrt(z);
  const auto negative = hn::Lt(x, hn::Zero(d));
  const V w_negative = hn::Sub(hn::Mul(rational, s), hn::Set(d, pio2_lo));
  V large_result = hn::Sub(hn::Set(d, PI), hn::Mul(two, hn::Add(s, w_negative)));
  if (!hn::AllTrue(d, hn::Or(below_half, negative))) {
    const V head = high_part(d, s);
    const V c = hn::Div(hn::Sub(z, hn::Mul(head, head)), hn::Add(s, head));
    const V w = hn::Add(hn::Mul(rational, s), c);
    large_result = hn::IfThenElse(negative, large_result, hn::Mul(two, hn::Add(head, w)));
  }
  return hn::IfThenElse(below_half, small_result, large_result);
}

}  // namespace

void batch_acos(std::size_t n, const double* x, double* r) {
  paired_unary_blocks(
      n, x, r, __acos,
      [](auto d, auto v) { return hn::AndNot(magnitude_below(d, v, 0x3c600001), magnitude_below(d, v, 0x3ff00000)); },
      [](auto d, auto v) KORVEL_INLINE_LAMBDA { return acos_main_path(d, v); });
}

}  // namespace korvel_batch::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();
