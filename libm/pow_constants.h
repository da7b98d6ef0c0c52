// pow's constants, one definition for the scalar function and its batch form.
#pragma once

#include "libm_bits.h"

namespace pow_constants {
inline constexpr double zero = double_from_bits(0x0000000000000000ULL);
inline constexpr double one = double_from_bits(0x3ff0000000000000ULL);
inline constexpr double two = double_from_bits(0x4000000000000000ULL);
inline constexpr double E1 = double_from_bits(0x3fe62e42fefa39efULL);
inline constexpr double E2 = double_from_bits(0x3fcebfbdff829821ULL);
inline constexpr double E3 = double_from_bits(0x3fac6b08d7047ac3ULL);
inline constexpr double E4 = double_from_bits(0x3f83b2ad5447ffd4ULL);
inline constexpr double E5 = double_from_bits(0x3f55d881e756779bULL);
inline constexpr double two53 = double_from_bits(0x4340000000000000ULL);
inline constexpr double A1_hi = double_from_bits(0x4007154760000000ULL);
inline constexpr double A1_lo = double_from_bits(0x3e64ae0bf863a498ULL);
inline constexpr double A1 = double_from_bits(0x40071547652b82feULL);
inline constexpr double A2 = double_from_bits(0x3feec709dc394b53ULL);
inline constexpr double A3 = double_from_bits(0x3fe277721642f0dfULL);
inline constexpr double B0_hi = double_from_bits(0x4007154760000000ULL);
inline constexpr double B0_lo = double_from_bits(0x3e64ae0bf85ddf87ULL);
inline constexpr double B0 = double_from_bits(0x40071547652b82feULL);
inline constexpr double B1 = double_from_bits(0x3feec709dc3a03fdULL);
inline constexpr double B2 = double_from_bits(0x3fe2776c50f004f6ULL);
inline constexpr double B3 = double_from_bits(0x3fda617605bd93f0ULL);
inline constexpr double B4 = double_from_bits(0x3fd48750fb264341ULL);
inline constexpr double half = double_from_bits(0x3fe0000000000000ULL);
inline constexpr double sixty_four = double_from_bits(0x4050000000000000ULL);
inline constexpr double one_sixty_fourth = double_from_bits(0x3f90000000000000ULL);
inline constexpr double twom54 = double_from_bits(0x3c90000000000000ULL);
}  // namespace pow_constants
