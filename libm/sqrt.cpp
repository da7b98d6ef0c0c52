// sqrt: the correctly rounded IEEE square root, with the domain error of a
// negative argument reported through the handler unless in IEEE mode.
#include "libm_internal.h"

namespace {
constexpr double zero = double_from_bits(0x0000000000000000ULL);
}  // namespace

extern "C" double __sqrt(double x) noexcept {
  // Evaluated first so the invalid flag of x < 0 is raised in every mode.
  double r = hardware_sqrt(x);
  if (_lib_version == -1) return r;
  std::int32_t ix = high_word(x) & 0x7fffffff;
  std::uint32_t lx = low_word(x);
  if ((ix & 0x7ff00000) == 0x7ff00000 && ((ix & 0x000fffff) | lx) != 0) return r;
  if (x < zero) return __libm_SVID_libm_err(x, x, 26);
  return r;
}

LIBM_WEAK_ALIAS(sqrt, __sqrt);
