// atan over arrays: the table, the polynomial and the 1/|x| paths lane-wise;
// zero, |x| < 2^-28 (whose only operation is the inexact sum), infinities and
// NaN go to __atan.
#include <cstddef>

#include <hwy/highway.h>

#include "batch_loop.h"
#include "inverse_trig_batch.h"

HWY_BEFORE_NAMESPACE();
namespace korvel_batch::HWY_NAMESPACE {

void batch_atan(std::size_t n, const double* x, double* r) {
  paired_unary_blocks(
      n, x, r, __atan,
      [](auto d, auto v) { return hn::AndNot(magnitude_below(d, v, 0x3e300000), magnitude_below(d, v, 0x7ff00000)); },
      [](auto d, auto v) KORVEL_INLINE_LAMBDA { return atan_main_path(d, v); });
}

}  // namespace korvel_batch::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();
