// sin: the kernel directly up to pi/4, else the kernel of the quadrant
// after reduction modulo pi/2.
#include "rem_pio2.h"
#include "trig_kernels.h"

extern "C" double __sin(double x) noexcept {
  const std::int32_t ix = high_word(x) & 0x7fffffff;
  if (ix <= 0x3fe921fb) return trig_kernel::k_sin(x, trig_wrapper::zero);
  // Infinity or NaN: a NaN, invalid for infinities and signalling NaNs.
  if (ix >= 0x7ff00000) return x - x;
  double y0;
  double y1;
  const int n = reduction::rem_pio2(x, y0, y1);
  switch (n & 3) {
  case 0:
    return trig_kernel::k_sin(y0, y1);
  case 1:
    return trig_kernel::k_cos(y0, y1);
  case 2:
    return -trig_kernel::k_sin(y0, y1);
  default:
    return -trig_kernel::k_cos(y0, y1);
  }
}

LIBM_WEAK_ALIAS(sin, __sin);
