// Batch cos: the sine's kernels one quadrant on (cos x = sin(x + pi/2) quadrant by quadrant).
// Lanes below 2^-27, from 2^20 pi/2 on, infinities and NaNs take __cos; on
// targets of two lanes or one, every element does (see trig_batch.h).
#include <hwy/highway.h>

#include "batch_loop.h"
#include "trig_batch.h"

HWY_BEFORE_NAMESPACE();
namespace korvel_batch::HWY_NAMESPACE {

void batch_cos(std::size_t n, const double* x, double* r) {
#if KORVEL_TRIG_VECTOR_FORM
  unary_blocks(
      n, x, r, __cos, [](D, V v) { return trig_batch::on_path(v); },
      [](D d, V v) KORVEL_INLINE_LAMBDA { return trig_batch::reduced_kernel<false>(d, v, 1.0); });
#else
  unary_scalar_loop(n, x, r, __cos);
#endif
}

}  // namespace korvel_batch::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();
