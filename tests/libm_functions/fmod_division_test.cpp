// fmod's reduction by whole-word divisions against the long division one bit
// at a time that it replaces: the same bits, the same flags and the same
// handler calls on every exponent difference, with subnormal, all-ones and
// single-bit operands of both signs. remainder, which reduces through fmod,
// against MPFR's remainder on the same pairs.
#include "fmod_by_long_division.h"
#include "function_cases.h"
#include "korvel_math.h"
#include "libm_platform.h"
#include "mpfr_reference.h"
#include "recording_handler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// The exponents of the leading bits of DBL_MAX and of the smallest subnormal.
constexpr int top_exponent = 1023;
constexpr int bottom_exponent = -1074;
constexpr int widest_difference = top_exponent - bottom_exponent;  // 2097

enum class significand { random, all_ones, leading_bit_only, leading_and_lowest_bit };
constexpr significand all_significands[] = {significand::random, significand::all_ones,
                                            significand::leading_bit_only, significand::leading_and_lowest_bit};

// The double with leading bit 2^exponent (subnormal below 2^-1022), the bits
// below it chosen by `kind`.
double make_double(bool negative, int exponent, significand kind, argument_engine& engine) {
  const int below = exponent >= -1022 ? 52 : exponent - bottom_exponent;  // bits under the leading one
  const std::uint64_t below_mask = (std::uint64_t{1} << below) - 1;
  std::uint64_t lower = 0;
  switch (kind) {
  case significand::random:
    lower = engine() & below_mask;
    break;
  case significand::all_ones:
    lower = below_mask;
    break;
  case significand::leading_bit_only:
    break;
  case significand::leading_and_lowest_bit:
    lower = below_mask & 1;
    break;
  }
  const std::uint64_t magnitude = exponent >= -1022
                                      ? (static_cast<std::uint64_t>(exponent + 1023) << 52) | lower
                                      : (std::uint64_t{1} << below) | lower;
  return from_bits(magnitude | (negative ? minus_zero : 0));
}

int leading_exponent(double v) {
  const std::uint64_t magnitude = to_bits(v) & 0x7fffffffffffffffu;
  const int biased = static_cast<int>(magnitude >> 52);
  if (biased != 0) return biased - 1023;
  return bottom_exponent + 63 - std::countl_zero(magnitude);
}

struct division_pairs {
  std::vector<double> xs;
  std::vector<double> ys;
};

// `per_difference` pairs for each difference of leading exponents 0..2097, the
// largest there is; the divisor's exponent uniform over what the difference
// allows, every fourth pair with a subnormal divisor and, where the difference
// allows it, every fourth with a subnormal dividend. The significand kinds of
// x and y cycle through every combination; the signs are random.
division_pairs pairs_of_every_difference(int per_difference) {
  argument_engine engine(0x5eed0030);
  division_pairs pairs;
  for (int difference = 0; difference <= widest_difference; ++difference) {
    const int highest_y = top_exponent - difference;
    for (int i = 0; i < per_difference; ++i) {
      const int low = bottom_exponent;
      int high = highest_y;
      if (i % 4 == 1) high = std::min(high, -1023);                      // y subnormal
      if (i % 4 == 2 && difference <= 51) high = -1023 - difference;     // x subnormal too
      const int exponent_y = std::uniform_int_distribution<int>(low, high)(engine);
      const significand kind_x = all_significands[(i / 4) % 4];
      const significand kind_y = all_significands[(i / 16) % 4];
      const std::uint64_t signs = engine();
      pairs.xs.push_back(make_double((signs & 1) != 0, exponent_y + difference, kind_x, engine));
      pairs.ys.push_back(make_double((signs & 2) != 0, exponent_y, kind_y, engine));
    }
  }
  return pairs;
}

int pairs_per_difference() {
  return std::max<int>(64, static_cast<int>(accuracy_sample_count() / (widest_difference + 1)));
}

// Zeros, infinities, NaNs of both kinds and the subnormal and normal extremes,
// each against each: the special operands and the handler calls.
division_pairs special_pairs() {
  std::vector<double> values = special_doubles();
  const std::uint64_t more[] = {0x0000000000000003, 0x000fffffffffffff, 0x0010000000000000, 0x0360000000000000,
                                0x035fffffffffffff, 0x7fdfffffffffffff, 0x4016000000000000, 0x4000000000000000};
  for (const std::uint64_t bits : more) {
    values.push_back(from_bits(bits));
    values.push_back(from_bits(bits | minus_zero));
  }
  division_pairs pairs;
  for (const double x : values)
    for (const double y : values) {
      pairs.xs.push_back(x);
      pairs.ys.push_back(y);
    }
  return pairs;
}

struct outcome {
  std::uint64_t bits;
  int flags;
  int handler_calls;
  handler_call handler;
};

// noipa: no call is moved across the flag reads around it.
[[gnu::noipa]] double fmod_by_bits(double x, double y) { return fmod_by_long_division(x, y); }

outcome observe(double (*f)(double, double), double x, double y) {
  reset_recorded_handler(from_bits(0x4045400000000000));  // 42.5, a value of the handler's own
  std::feclearexcept(FE_ALL_EXCEPT);
  const double r = f(x, y);
  const int flags = std::fetestexcept(FE_ALL_EXCEPT);
  return {to_bits(r), flags, recorded_handler.calls, recorded_handler.last};
}

// A NaN matches any NaN: which operand's payload a multiplication passes on
// depends on the order the compiler gives its operands.
bool same(const outcome& a, const outcome& b) {
  const bool same_value = a.bits == b.bits || (is_nan_bits(a.bits) && is_nan_bits(b.bits));
  return same_value && a.flags == b.flags && a.handler_calls == b.handler_calls &&
         (a.handler_calls == 0 || (to_bits(a.handler.x) == to_bits(b.handler.x) &&
                                   to_bits(a.handler.y) == to_bits(b.handler.y) && a.handler.type == b.handler.type));
}

std::string label(const char* function, double x, double y) {
  char text[112];
  std::snprintf(text, sizeof text, "%s(%a, %a)", function, x, y);
  return text;
}

// Counts the pairs on which fmod differs from the long division; reports the first few.
int count_fmod_differences(const division_pairs& pairs) {
  int differences = 0;
  for (std::size_t i = 0; i < pairs.xs.size(); ++i) {
    const outcome expected = observe(fmod_by_bits, pairs.xs[i], pairs.ys[i]);
    const outcome got = observe(__fmod, pairs.xs[i], pairs.ys[i]);
    if (same(got, expected)) continue;
    if (++differences <= 5)
      ADD_FAILURE() << label("fmod", pairs.xs[i], pairs.ys[i]) << ": 0x" << std::hex << got.bits << " flags 0x"
                    << got.flags << " handler calls " << got.handler_calls << "; long division 0x" << expected.bits
                    << " flags 0x" << expected.flags << " handler calls " << expected.handler_calls;
  }
  return differences;
}

// remainder of finite operands with a non-zero divisor: MPFR's exact value
// (`expected`), the zero's sign included, and no flag at all.
int count_remainder_differences(const division_pairs& pairs, const std::vector<std::uint64_t>& expected) {
  int differences = 0;
  for (std::size_t i = 0; i < pairs.xs.size(); ++i) {
    const outcome got = observe(__remainder, pairs.xs[i], pairs.ys[i]);
    if (got.bits == expected[i] && got.flags == 0 && got.handler_calls == 0) continue;
    if (++differences <= 5)
      ADD_FAILURE() << label("remainder", pairs.xs[i], pairs.ys[i]) << ": 0x" << std::hex << got.bits << " flags 0x"
                    << got.flags << " handler calls " << got.handler_calls << "; MPFR 0x" << expected[i];
  }
  return differences;
}

TEST(FmodDivision, PairsCoverEveryDifferenceAndSubnormalsOnEitherSide) {
  const division_pairs pairs = pairs_of_every_difference(pairs_per_difference());
  std::vector<int> per_difference(widest_difference + 1, 0);
  int subnormal_x = 0;
  int subnormal_y = 0;
  int negative_x = 0;
  int negative_y = 0;
  for (std::size_t i = 0; i < pairs.xs.size(); ++i) {
    const int difference = leading_exponent(pairs.xs[i]) - leading_exponent(pairs.ys[i]);
    ASSERT_GE(difference, 0) << label("pair", pairs.xs[i], pairs.ys[i]);
    ASSERT_LE(difference, widest_difference);
    ++per_difference[difference];
    subnormal_x += std::fabs(pairs.xs[i]) < 0x1p-1022;
    subnormal_y += std::fabs(pairs.ys[i]) < 0x1p-1022;
    negative_x += std::signbit(pairs.xs[i]);
    negative_y += std::signbit(pairs.ys[i]);
  }
  EXPECT_EQ(std::count(per_difference.begin(), per_difference.end(), pairs_per_difference()), widest_difference + 1);
  // Both subnormal only where the difference is below 52.
  EXPECT_GE(subnormal_x, 52 * (pairs_per_difference() / 4));
  EXPECT_GT(subnormal_y, static_cast<int>(pairs.xs.size() / 4));
  EXPECT_GT(negative_x, static_cast<int>(pairs.xs.size() / 3));
  EXPECT_GT(negative_y, static_cast<int>(pairs.xs.size() / 3));
}

TEST(FmodDivision, MatchesTheLongDivisionOnEveryExponentDifference) {
  const division_pairs pairs = pairs_of_every_difference(pairs_per_difference());
  for (const rounding_mode& mode : all_rounding_modes) {
    rounding_scope scope(mode.mode);
    EXPECT_EQ(count_fmod_differences(pairs), 0) << mode.name;
  }
}

TEST(FmodDivision, MatchesTheLongDivisionOnSpecialOperands) {
  EXPECT_EQ(count_fmod_differences(special_pairs()), 0);
}

TEST(FmodDivision, RemainderMatchesMpfrOnEveryExponentDifference) {
  const division_pairs pairs = pairs_of_every_difference(pairs_per_difference());
  std::vector<std::uint64_t> expected;
  for (std::size_t i = 0; i < pairs.xs.size(); ++i)
    expected.push_back(to_bits(reference_binary(mpfr_remainder, pairs.xs[i], pairs.ys[i], MPFR_RNDN)));
  // Exact, so the same in every rounding mode.
  for (const rounding_mode& mode : all_rounding_modes) {
    rounding_scope scope(mode.mode);
    EXPECT_EQ(count_remainder_differences(pairs, expected), 0) << mode.name;
  }
}

// The two-word remainder the division rests on, at the edges of its domain.
TEST(FmodDivision, WideRemainderAtTheEdges) {
  struct wide_case {
    std::uint64_t high;
    std::uint64_t low;
    std::uint64_t divisor;
  };
  const wide_case cases[] = {
      {0, 0, 1},
      {0, ~std::uint64_t{0}, 0x0010000000000000},
      {0x000fffffffffffff, ~std::uint64_t{0}, 0x0010000000000000},
      {0x001ffffffffffffe, ~std::uint64_t{0}, 0x001fffffffffffff},
      {0x0000080000000000, 0, 0x0010000000000001},
      {0x7ffffffffffffffe, 0x8000000000000000, 0x7fffffffffffffff},
      {0xfffffffffffffffe, ~std::uint64_t{0}, ~std::uint64_t{0}},
      {0x00123456789abcde, 0xfedcba9876543210, 0x0019999999999999},
  };
  for (const wide_case& c : cases) {
    const unsigned __int128 dividend = (static_cast<unsigned __int128>(c.high) << 64) | c.low;
    EXPECT_EQ(wide_remainder(c.high, c.low, c.divisor), static_cast<std::uint64_t>(dividend % c.divisor))
        << std::hex << c.high << ":" << c.low << " mod " << c.divisor;
  }
}

}  // namespace
