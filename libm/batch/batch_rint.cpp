// Batch rint for one instruction set: lane-wise by adding and subtracting 2^52
// (batch_integral.h).
#include <hwy/highway.h>

#include "batch_loop.h"
// After batch_loop.h.
#include "batch_integral.h"

HWY_BEFORE_NAMESPACE();
namespace korvel_batch::HWY_NAMESPACE {

void batch_rint(std::size_t n, const double* x, double* r) {
  unary_blocks(n, x, r, __rint, integral_lanes::below_two52, integral_lanes::rint_body);
}

}  // namespace korvel_batch::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();
