// exp's named constants, shared by the scalar function and its vector form.
#pragma once

#include "libm_bits.h"

// Internal to each unit that includes it: nothing here joins the symbol table.
namespace {
namespace exp_constants {
constexpr double threshold1 = double_from_bits(0x40862e42fefa39efULL);   // largest x with a finite result
constexpr double threshold2 = double_from_bits(0x40874910d52d3051ULL);   // -threshold2: smallest with a non-zero result
constexpr double ln2_onehalf = double_from_bits(0x3ff0a2b23f3bab73ULL);  // 1.5 ln 2
constexpr double ln2_2 = double_from_bits(0x3fd62e42fefa39efULL);        // ln 2 / 2
constexpr double ln2hi = double_from_bits(0x3fe62e42fee00000ULL);        // 21 trailing zeros: k·ln2hi is exact
constexpr double ln2lo = double_from_bits(0x3dea39ef35793c76ULL);
constexpr double ln2_64 = double_from_bits(0x3f862e42fefa39efULL);       // high word only: below it x needs no reduction
constexpr double ln2_32hi = double_from_bits(0x3f962e42fee00000ULL);     // 21 trailing zeros: n·ln2_32hi is exact
constexpr double ln2_32lo = double_from_bits(0x3d9a39ef35793c76ULL);
constexpr double invln2_32 = double_from_bits(0x40471547652b82feULL);
constexpr double p1 = double_from_bits(0x3fc555555555553eULL);
constexpr double p2 = double_from_bits(0xbf66c16c16bebd93ULL);
constexpr double p3 = double_from_bits(0x3f11566aaf25de2cULL);
constexpr double p4 = double_from_bits(0xbebbbd41c5d26bf1ULL);
constexpr double p5 = double_from_bits(0x3e66376972bea4d0ULL);
constexpr double t1 = double_from_bits(0x3fc5555555551e29ULL);
constexpr double t2 = double_from_bits(0xbf66c1664a3720a8ULL);
constexpr double huge = double_from_bits(0x46293e5939a08ceaULL);
constexpr double twom54 = double_from_bits(0x3c90000000000000ULL);
constexpr double zero = double_from_bits(0x0000000000000000ULL);
constexpr double half = double_from_bits(0x3fe0000000000000ULL);
constexpr double one = double_from_bits(0x3ff0000000000000ULL);
constexpr double two = double_from_bits(0x4000000000000000ULL);
// The vector form's own: its main path ends at x = -normal_scale_bound, where
// the scale 2^m is still a normal number (m >= -1021); the shifter turns an
// integral double below 2^51 into its two's complement in the low bits.
constexpr double normal_scale_bound = double_from_bits(0x4086180000000000ULL);  // 707
constexpr double integer_shifter = double_from_bits(0x4338000000000000ULL);     // 1.5 * 2^52
}  // namespace exp_constants
}  // namespace
