// The constants of atan2, shared by the scalar function and its batch form.
#pragma once

#include "libm_bits.h"

// Internal to each unit that includes it: nothing here joins the symbol table.
namespace {
namespace atan2_constants {

constexpr double zero = double_from_bits(0x0000000000000000ULL);
// Added to the exact multiples of pi/2 so that they raise inexact.
constexpr double tiny = double_from_bits(0x358dee7a4ad4b81fULL);
constexpr double PIo4 = double_from_bits(0x3fe921fb54442d18ULL);
constexpr double PIo2 = double_from_bits(0x3ff921fb54442d18ULL);
constexpr double PI = double_from_bits(0x400921fb54442d18ULL);
constexpr double PI_lo = double_from_bits(0x3ca1a62633145c07ULL);
// 2^54: scales a subnormal into the normal range.
constexpr double two54 = double_from_bits(0x4350000000000000ULL);

}  // namespace atan2_constants
}  // namespace
