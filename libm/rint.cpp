// rint: x rounded to an integer in the current rounding mode (ties to even
// by default); roundsd in the current mode where the processor has it, else
// by adding and subtracting 2^52.
#include "integral_by_two52.h"
#include "libm_internal.h"

extern "C" double __rint(double x) noexcept {
  if (has_round_instruction()) [[likely]] return integral_current_mode(x);
  return rint_by_two52(x);
}

LIBM_WEAK_ALIAS(rint, __rint);
