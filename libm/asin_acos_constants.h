// The constants of asin and acos, shared by both scalar functions and their
// batch forms, and the rational approximation R(t) both scalar functions use.
#pragma once

#include "libm_bits.h"

// Internal to each unit that includes it: nothing here joins the symbol table.
namespace {
namespace asin_acos_constants {

constexpr double one = double_from_bits(0x3ff0000000000000ULL);
constexpr double pio2_hi = double_from_bits(0x3ff921fb54442d18ULL);
constexpr double pio2_lo = double_from_bits(0x3c91a62633145c07ULL);
// asin only.
constexpr double pio4_hi = double_from_bits(0x3fe921fb54442d18ULL);
// asin only: huge + x rounds for every non-zero x below 2^-27.
constexpr double huge = double_from_bits(0x7e37e43c8800759cULL);
// acos only.
constexpr double PI = double_from_bits(0x400921fb54442d18ULL);
constexpr double P0 = double_from_bits(0x3fc5555555555555ULL);
constexpr double P1 = double_from_bits(0xbfd4d61203eb6f7dULL);
constexpr double P2 = double_from_bits(0x3fc9c1550e884455ULL);
constexpr double P3 = double_from_bits(0xbfa48228b5688f3bULL);
constexpr double P4 = double_from_bits(0x3f49efe07501b288ULL);
constexpr double P5 = double_from_bits(0x3f023de10dfdf709ULL);
constexpr double Q1 = double_from_bits(0xc0033a271c8a2d4bULL);
constexpr double Q2 = double_from_bits(0x40002ae59c598ac8ULL);
constexpr double Q3 = double_from_bits(0xbfe6066c1b8d0159ULL);
constexpr double Q4 = double_from_bits(0x3fb3b8c5b12e9282ULL);

// The rational part R(t) = p(t)/q(t) of asin(sqrt(t)) = sqrt(t) * (1 + R(t)).
inline double rational(double t) {
  double p = t * (P0 + t * (P1 + t * (P2 + t * (P3 + t * (P4 + t * P5)))));
  double q = one + t * (Q1 + t * (Q2 + t * (Q3 + t * Q4)));
  return p / q;
}

}  // namespace asin_acos_constants
}  // namespace
