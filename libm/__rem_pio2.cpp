// __libm__rem_pio2: x = n*pi/2 + y[0] + y[1], exported for the shared objects
// of the process; the body is shared with sin, cos and tan.
#include "rem_pio2.h"

extern "C" int __libm__rem_pio2(double x, double* y) noexcept { return reduction::rem_pio2(x, y[0], y[1]); }
