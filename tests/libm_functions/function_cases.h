// Helpers shared by the tests of the exact functions.
#pragma once

#include <gtest/gtest.h>

#include <bit>
#include <cfenv>
#include <cstdint>
#include <cstdio>
#include <string>

inline double from_bits(std::uint64_t bits) { return std::bit_cast<double>(bits); }
inline std::uint64_t to_bits(double x) { return std::bit_cast<std::uint64_t>(x); }
inline bool is_nan_bits(std::uint64_t bits) { return (bits & 0x7fffffffffffffffu) > 0x7ff0000000000000u; }

// Compares a result bit for bit with `expected`; any NaN matches a NaN.
inline void expect_same(std::uint64_t expected, double actual, const std::string& what) {
  char got[64];
  std::snprintf(got, sizeof got, "got %a (0x%016llx)", actual, static_cast<unsigned long long>(to_bits(actual)));
  if (is_nan_bits(expected)) {
    EXPECT_TRUE(is_nan_bits(to_bits(actual))) << what << ": " << got;
    return;
  }
  EXPECT_EQ(to_bits(actual), expected) << what << ": " << got;
}

// The four IEEE rounding directions with names for test output.
struct rounding_mode {
  int mode;
  const char* name;
};
inline constexpr rounding_mode all_rounding_modes[] = {
    {FE_TONEAREST, "nearest"}, {FE_UPWARD, "upward"}, {FE_DOWNWARD, "downward"}, {FE_TOWARDZERO, "toward_zero"}};

// Sets a rounding mode for one scope and restores round-to-nearest after it.
struct rounding_scope {
  explicit rounding_scope(int mode) { std::fesetround(mode); }
  ~rounding_scope() { std::fesetround(FE_TONEAREST); }
  rounding_scope(const rounding_scope&) = delete;
  rounding_scope& operator=(const rounding_scope&) = delete;
};

// Bit patterns used across the tables.
inline constexpr std::uint64_t plus_zero = 0x0000000000000000;
inline constexpr std::uint64_t minus_zero = 0x8000000000000000;
inline constexpr std::uint64_t plus_inf = 0x7ff0000000000000;
inline constexpr std::uint64_t minus_inf = 0xfff0000000000000;
inline constexpr std::uint64_t quiet_nan = 0x7ff8000000000000;
inline constexpr std::uint64_t signalling_nan = 0x7ff0000000000001;
inline constexpr std::uint64_t min_subnormal = 0x0000000000000001;
inline constexpr std::uint64_t max_finite = 0x7fefffffffffffff;
