// Batch atan2 for one instruction set: the scalar function element by element.
#include <hwy/highway.h>

#include "batch_loop.h"

HWY_BEFORE_NAMESPACE();
namespace korvel_batch::HWY_NAMESPACE {

void batch_atan2(std::size_t n, const double* y, const double* x, double* r) { binary_scalar_loop(n, y, x, r, __atan2); }

}  // namespace korvel_batch::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();
