// Batch cos: the sine's kernels one quadrant on (cos x = sin(x + pi/2) quadrant by quadrant).
// Lanes below 2^-27, from 2^20 pi/2 on, infinities and NaNs take __cos.
#include <hwy/highway.h>

#include "batch_loop.h"
#include "trig_batch.h"

HWY_BEFORE_NAMESPACE();
namespace korvel_batch::HWY_NAMESPACE {

void batch_cos(std::size_t n, const double* x, double* r) {
  unary_blocks(
      n, x, r, __cos, [](D, V v) { return trig_batch::on_path(v); },
      [](D d, V v) {
        const trig_batch::reduced part = trig_batch::reduce(d, v, 1.0);
        return trig_batch::sin_or_cos_kernel(d, part.head, part.tail, part.quadrant_bits);
      });
}

}  // namespace korvel_batch::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();
