// log's constants, one definition for the scalar function and its batch form.
#pragma once

#include "libm_bits.h"

namespace log_constants {
inline constexpr double zero = double_from_bits(0x0000000000000000ULL);
inline constexpr double one_third = double_from_bits(0x3fd5555555555555ULL);
inline constexpr double half = double_from_bits(0x3fe0000000000000ULL);
inline constexpr double one = double_from_bits(0x3ff0000000000000ULL);
inline constexpr double two = double_from_bits(0x4000000000000000ULL);
inline constexpr double two52 = double_from_bits(0x4330000000000000ULL);
inline constexpr double ln2hi = double_from_bits(0x3fe62e42fee00000ULL);  // 21 trailing zeros: n·ln2hi is exact
inline constexpr double ln2lo = double_from_bits(0x3dea39ef35793c76ULL);
inline constexpr double A1 = double_from_bits(0x3fe55555555571daULL);
inline constexpr double A2 = double_from_bits(0x3fd999998702be3aULL);
inline constexpr double A3 = double_from_bits(0x3fd24af73f4569b1ULL);
inline constexpr double B1 = double_from_bits(0x3fe55555555554edULL);
inline constexpr double B2 = double_from_bits(0x3fd9999999b93aadULL);
inline constexpr double B3 = double_from_bits(0x3fd24923144fabc5ULL);
inline constexpr double B4 = double_from_bits(0x3fcc7ffa5aafbc63ULL);
}  // namespace log_constants
