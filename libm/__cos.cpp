// __libm__k_cos: cosine of a reduced argument x + y, exported for the shared
// objects of the process; the body is shared with sin and cos.
#include "trig_kernels.h"

extern "C" double __libm__k_cos(double x, double y) noexcept { return trig_kernel::k_cos(x, y); }
