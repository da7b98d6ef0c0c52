// The words of an IEEE 754 double, read and written with std::bit_cast.
// High word: sign, 11 exponent bits, top 20 fraction bits; low word: the other 32.
#pragma once

#include <bit>
#include <cstdint>

inline std::uint64_t double_bits(double x) { return std::bit_cast<std::uint64_t>(x); }
constexpr double double_from_bits(std::uint64_t bits) { return std::bit_cast<double>(bits); }

inline std::int32_t high_word(double x) { return static_cast<std::int32_t>(double_bits(x) >> 32); }
inline std::uint32_t low_word(double x) { return static_cast<std::uint32_t>(double_bits(x)); }

constexpr double double_from_words(std::int32_t high, std::uint32_t low) {
  return std::bit_cast<double>((static_cast<std::uint64_t>(static_cast<std::uint32_t>(high)) << 32) | low);
}
inline double with_high_word(double x, std::int32_t high) { return double_from_words(high, low_word(x)); }
inline double with_low_word(double x, std::uint32_t low) { return double_from_words(high_word(x), low); }

// Integer operations on the pattern of a double in its own vector register
// (x86-64): the result goes on to floating-point operations without a round
// trip through the general registers.
inline double pattern_and(double x, std::uint64_t mask) {
  asm("andpd %1, %0" : "+x"(x) : "x"(double_from_bits(mask)));
  return x;
}
inline double pattern_or(double x, std::uint64_t bits) {
  asm("orpd %1, %0" : "+x"(x) : "x"(double_from_bits(bits)));
  return x;
}
// Wraps modulo 2^64 like the integer addition.
inline double pattern_add(double x, std::uint64_t addend) {
  asm("paddq %1, %0" : "+x"(x) : "x"(double_from_bits(addend)));
  return x;
}

// v truncated to an int32 (*n) and back to a double, for |v| < 2^31: the
// packed conversions keep it in the vector register. The upper lane is
// cleared first, and 0.0 converts exactly, so the flags are those of the
// scalar conversions of v.
inline double truncate_in_register(double v, std::int32_t* n) {
  double d;
  asm("movq %[v], %[v]\n\t"
      "cvttpd2dq %[v], %[v]\n\t"
      "movd %[v], %[n]\n\t"
      "cvtdq2pd %[v], %[d]"
      : [d] "=x"(d), [n] "=r"(*n), [v] "+x"(v));
  return d;
}
