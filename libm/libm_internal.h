// Declarations shared between the modules of the math library.
#pragma once

#include "korvel_math.h"
#include "libm_bits.h"

// errno values the handler stores.
inline constexpr int LIBM_EDOM = 33;
inline constexpr int LIBM_ERANGE = 34;

// Gives `plain` the definition of `strong` as a weak alias, e.g. sqrt -> __sqrt.
#define LIBM_WEAK_ALIAS(plain, strong) \
  extern "C" __typeof__(strong) plain __attribute__((weak, alias(#strong)))
