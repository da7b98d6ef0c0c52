// The constants of atan, shared by the scalar function and its batch form.
#pragma once

#include "libm_bits.h"

// Internal to each unit that includes it: nothing here joins the symbol table.
namespace {
namespace atan_constants {

constexpr double one = double_from_bits(0x3ff0000000000000ULL);
// Odd polynomial below 1/8 and for 1/|x| between 1/65 and 1/8.
constexpr double p1 = double_from_bits(0xbfd55555555554ccULL);
constexpr double p2 = double_from_bits(0x3fc9999999945f2aULL);
constexpr double p3 = double_from_bits(0xbfc2492489cdb42cULL);
constexpr double p4 = double_from_bits(0x3fbc71ba726d04feULL);
constexpr double p5 = double_from_bits(0xbfb7410798893f6eULL);
constexpr double p6 = double_from_bits(0x3fb2cc1ff0dd3da2ULL);
// Short polynomial of the table offsets and of 1/|x| between 2^-19 and 1/65.
constexpr double q1 = double_from_bits(0xbfd5555555553b5dULL);
constexpr double q2 = double_from_bits(0x3fc99999882347ffULL);
constexpr double q3 = double_from_bits(0xbfc2476059d3fc13ULL);
constexpr double pio2hi = double_from_bits(0x3ff921fb54442d18ULL);
constexpr double pio2lo = double_from_bits(0x3c91a62633145c07ULL);
// big + x rounds for every non-zero x below 2^-28: the inexact flag of the tiny branch.
constexpr double big = double_from_bits(0x479e17b84357691bULL);

}  // namespace atan_constants
}  // namespace
