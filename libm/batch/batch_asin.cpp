// asin over arrays: 2^-27 <= |x| < 1 lane-wise; zero, the tiny arguments (the
// inexact sum alone), |x| >= 1 and NaN go to __asin.
#include <cstddef>

#include <hwy/highway.h>

#include "batch_loop.h"
#include "inverse_trig_batch.h"

HWY_BEFORE_NAMESPACE();
namespace korvel_batch::HWY_NAMESPACE {

namespace {

template <class D>
HWY_INLINE hn::Vec<D> asin_main_path(D d, hn::Vec<D> x) {
  using namespace asin_acos_constants;
  using V = hn::Vec<D>;
  const V two = hn::Set(d, 2.0);
  const V a = hn::Abs(x);
  const auto below_half = hn::Lt(a, word_bound(d, 0x3fe00000));
  // One R(t) for both halves: t = x*x below 0.5, (1 - |x|)/2 above.
  const V t = hn::IfThenElse(below_half, hn::Mul(x, x), hn::Mul(hn::Sub(hn::Set(d, one), a), hn::Set(d, 0.5)));
  const V rational = asin_acos_rational(d, t);
  const V small_result = hn::Add(x, hn::Mul(x, rational));
  if (hn::AllTrue(d, below_half)) return small_result;

  const V s = hn::Sqrt(t);
  const auto near_one = hn::Ge(a, word_bound(d, 0x3fef3333));
  V r = hn::Sub(hn::Set(d, pio2_hi),
                hn::Sub(hn::Mul(two, hn::Add(s, hn::Mul(s, rational))), hn::Set(d, pio2_lo)));
  if (!hn::AllTrue(d, hn::Or(below_half, near_one))) {
    const V w = high_part(d, s);
    const V c = hn::Div(hn::Sub(t, hn::Mul(w, w)), hn::Add(s, w));
    const V p = hn::Sub(hn::Mul(hn::Mul(two, s), rational), hn::Sub(hn::Set(d, pio2_lo), hn::Mul(two, c)));
    const V q = hn::Sub(hn::Set(d, pio4_hi), hn::Mul(two, w));
    r = hn::IfThenElse(near_one, r, hn::Sub(hn::Set(d, pio4_hi), hn::Sub(p, q)));
  }
  return hn::IfThenElse(below_half, small_result, hn::Or(r, sign_bits(d, x)));
}

}  // namespace

void batch_asin(std::size_t n, const double* x, double* r) {
  paired_unary_blocks(
      n, x, r, __asin,
      [](auto d, auto v) { return hn::AndNot(magnitude_below(d, v, 0x3e400000), magnitude_below(d, v, 0x3ff00000)); },
      [](auto d, auto v) KORVEL_INLINE_LAMBDA { return asin_main_path(d, v); });
}

}  // namespace korvel_batch::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();
