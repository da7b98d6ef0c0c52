// The named constants of sin, cos and tan, their kernels and the medium-range
// reduction modulo pi/2: one definition each, read by the scalar modules and by
// the batch forms (libm/batch/), so both compute with the same bits.
#pragma once

#include "libm_bits.h"

// Internal to each unit that includes it: nothing here joins the symbol table.
namespace {

namespace trig_wrapper {
// The tail passed with an argument that needs no reduction.
constexpr double zero = double_from_bits(0x0000000000000000ULL);
}  // namespace trig_wrapper

namespace reduction {
constexpr double zero = double_from_bits(0x0000000000000000ULL);
constexpr double half = double_from_bits(0x3FE0000000000000ULL);
constexpr double invpio2 = double_from_bits(0x3FE45F306DC9C883ULL);
// pi/2 in 33-bit pieces (products with n <= 2^20 are exact) and the rounded rests.
constexpr double pio2_1 = double_from_bits(0x3FF921FB54400000ULL);
constexpr double pio2_1t = double_from_bits(0x3DD0B4611A626331ULL);
constexpr double pio2_2 = double_from_bits(0x3DD0B4611A600000ULL);
constexpr double pio2_2t = double_from_bits(0x3BA3198A2E037073ULL);
constexpr double pio2_3 = double_from_bits(0x3BA3198A2E000000ULL);
constexpr double pio2_3t = double_from_bits(0x397B839A252049C1ULL);
}  // namespace reduction

namespace trig_kernel {
constexpr double one = double_from_bits(0x3FF0000000000000ULL);
constexpr double negone = double_from_bits(0xBFF0000000000000ULL);
// huge + x rounds for every x below 2^-27 except zero: the inexact flag of the
// tiny branches, with the result left exactly x or one.
constexpr double huge = double_from_bits(0x7E37E43C8800759CULL);

// Offset polynomials of the table range.
constexpr double pp1 = double_from_bits(0xBFC555555551FC28ULL);
constexpr double pp2 = double_from_bits(0x3F81110762EACC9DULL);
constexpr double qq1 = double_from_bits(0xBFDFFFFFFFFF6328ULL);
constexpr double qq2 = double_from_bits(0x3FA555515F7ACF0CULL);

// Sine below the table.
constexpr double p1 = double_from_bits(0xBFC55555555554D0ULL);
constexpr double p2 = double_from_bits(0x3F8111111108C703ULL);
constexpr double p3 = double_from_bits(0xBF2A019F75EE4BE1ULL);
constexpr double p4 = double_from_bits(0x3EC718E3A6972785ULL);

// Cosine below the table.
constexpr double q1 = double_from_bits(0xBFDFFFFFFFFFFF85ULL);
constexpr double q2 = double_from_bits(0x3FA55555554F5B35ULL);
constexpr double q3 = double_from_bits(0xBF56C16BBA552569ULL);
constexpr double q4 = double_from_bits(0x3EF9FD3994293940ULL);

// Tangent below the table.
constexpr double t1 = double_from_bits(0x3FD5555555555526ULL);
constexpr double t2 = double_from_bits(0x3FC11111111239FAULL);
constexpr double t3 = double_from_bits(0x3FABA1BA16D5E0BEULL);
constexpr double t4 = double_from_bits(0x3F9664F916AC0A28ULL);
constexpr double t5 = double_from_bits(0x3F8224B3CFD6CEDCULL);
constexpr double t6 = double_from_bits(0x3F6E745D4523FA96ULL);
}  // namespace trig_kernel

}  // namespace
