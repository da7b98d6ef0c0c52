// __libm__k_tan: tan(x + y) for k = 0, -1/tan(x + y) otherwise, of a reduced
// argument; exported for the shared objects of the process, shared with tan.
#include "trig_kernels.h"

extern "C" double __libm__k_tan(double x, double y, int k) noexcept { return trig_kernel::k_tan(x, y, k); }
