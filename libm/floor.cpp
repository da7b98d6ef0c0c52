// floor: the largest integer not above x; roundsd rounding down where the
// processor has it, else by adding and subtracting 2^52.
#include "integral_by_two52.h"
#include "libm_internal.h"

extern "C" double __floor(double x) noexcept {
  if (has_round_instruction()) [[likely]] return integral_downward(x);
  return floor_by_two52(x);
}

LIBM_WEAK_ALIAS(floor, __floor);
