// Batch ceil for one instruction set: the scalar function element by element.
#include <hwy/highway.h>

#include "batch_loop.h"

HWY_BEFORE_NAMESPACE();
namespace korvel_batch::HWY_NAMESPACE {

void batch_ceil(std::size_t n, const double* x, double* r) { unary_scalar_loop(n, x, r, __ceil); }

}  // namespace korvel_batch::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();
