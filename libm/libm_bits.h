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
