// tan: the kernel directly up to pi/4, else the kernel after reduction
// modulo pi/2, asked for -cot in the odd quadrants.
#include "rem_pio2.h"
#include "trig_kernels.h"

extern "C" double __tan(double x) noexcept {
  const std::int32_t ix = high_word(x) & 0x7fffffff;
  if (ix <= 0x3fe921fb) return trig_kernel::k_tan(x, trig_wrapper::zero, 0);
  // Infinity or NaN: a NaN, invalid for infinities and signalling NaNs.
  if (ix >= 0x7ff00000) return x - x;
  double y0;
  double y1;
  const int n = reduction::rem_pio2(x, y0, y1);
  return trig_kernel::k_tan(y0, y1, n & 1);
}

LIBM_WEAK_ALIAS(tan, __tan);
