// ceil: the smallest integer not below x; roundsd rounding up where the
// processor has it, else by adding and subtracting 2^52.
#include "integral_by_two52.h"
#include "libm_internal.h"

extern "C" double __ceil(double x) noexcept {
  if (has_round_instruction()) [[likely]] return integral_upward(x);
  return ceil_by_two52(x);
}

LIBM_WEAK_ALIAS(ceil, __ceil);
