// Batch remainder for one instruction set: the scalar function element by element.
#include <hwy/highway.h>

#include "batch_loop.h"

HWY_BEFORE_NAMESPACE();
namespace korvel_batch::HWY_NAMESPACE {

void batch_remainder(std::size_t n, const double* x, const double* y, double* r) { binary_scalar_loop(n, x, y, r, __remainder); }

}  // namespace korvel_batch::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();
