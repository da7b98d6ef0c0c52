// Every one of the exact functions must agree bit for bit with MPFR's
// correctly rounded value, over KORVEL_ACCURACY_SAMPLES arguments each.
#include "function_cases.h"
#include "korvel_math.h"
#include "mpfr_reference.h"
#include "recording_handler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

std::size_t sample_count() { return accuracy_sample_count(); }

// The figures go to the test log so a run documents what it measured.
void print_report(const char* function, const accuracy_report& report) {
  std::printf("%s: %s\n", function, describe(report).c_str());
}

// sqrt's domain errors are tested elsewhere: keep the arguments non-negative
// except for -0 and NaNs of either sign.
std::vector<double> sqrt_arguments(std::size_t count) {
  std::vector<double> xs = mixed_arguments(count, 0x5eed0001);
  for (double& x : xs) {
    const std::uint64_t bits = to_bits(x);
    if (bits != minus_zero && !is_nan_bits(bits))
      x = from_bits(bits & 0x7fffffffffffffffu);
  }
  return xs;
}

// Arguments of the rounding functions: the whole range, with most of them
// below 2^53 where the rounding happens.
std::vector<double> rounding_arguments(std::size_t count) {
  std::vector<double> xs = mixed_arguments(count / 2, 0x5eed0002);
  argument_engine engine(0x5eed0003);
  while (xs.size() < count)
    xs.push_back(random_in_biased_exponents(engine, 0x3f0, 0x434)); // about 2^-15 .. 2^53
  return xs;
}

// Divisor/dividend pairs: a third over the whole range, the rest with the
// divisor's exponent at most 64 below the dividend's so the long division
// and the corrections do real work. Zero divisors go to the handler and are
// tested elsewhere.
struct argument_pairs {
  std::vector<double> xs;
  std::vector<double> ys;
};
argument_pairs division_arguments(std::size_t count, std::uint64_t seed) {
  argument_pairs pairs{mixed_arguments(count, seed), mixed_arguments(count, seed + 1)};
  argument_engine engine(seed + 2);
  for (std::size_t i = 0; i < count; ++i) {
    if (i % 3 != 0 && i > 64) {
      const int biased_x = static_cast<int>((to_bits(pairs.xs[i]) >> 52) & 0x7ff);
      if (biased_x == 0x7ff)
        continue;
      const int low = std::max(0, biased_x - 64);
      pairs.ys[i] = random_in_biased_exponents(engine, low, biased_x);
    }
    if ((to_bits(pairs.ys[i]) & 0x7fffffffffffffffu) == 0)
      pairs.ys[i] = from_bits(to_bits(pairs.ys[i]) | min_subnormal);
  }
  return pairs;
}

class RoundingModeAccuracy : public ::testing::TestWithParam<rounding_mode> {};

TEST_P(RoundingModeAccuracy, SqrtIsCorrectlyRounded) {
  const std::vector<double> xs = sqrt_arguments(sample_count());
  reset_recorded_handler(0);
  accuracy_report report;
  {
    rounding_scope scope(GetParam().mode);
    report = check_unary(__sqrt, mpfr_sqrt, rounding_dependence::follows_mode, xs);
  }
  print_report("sqrt", report);
  EXPECT_EQ(report.count, xs.size());
  EXPECT_EQ(report.max_ulps, 0) << describe(report);
  EXPECT_LE(report.max_exact_ulps, 0.5) << describe(report);
  EXPECT_EQ(recorded_handler.calls, 0);
}

// A rounding function checked in the test's rounding mode: no argument may differ.
void expect_exact_in_mode(int mode, const char* name, unary_function ours, mpfr_unary reference,
                          rounding_dependence dependence) {
  const std::vector<double> xs = rounding_arguments(sample_count());
  accuracy_report report;
  {
    rounding_scope scope(mode);
    report = check_unary(ours, reference, dependence, xs);
  }
  print_report(name, report);
  EXPECT_EQ(report.count, xs.size());
  EXPECT_EQ(report.max_ulps, 0) << describe(report);
}

TEST_P(RoundingModeAccuracy, RintFollowsTheRoundingMode) {
  expect_exact_in_mode(GetParam().mode, "rint", __rint, mpfr_rint, rounding_dependence::follows_mode);
}

TEST_P(RoundingModeAccuracy, CeilIsExactInEveryMode) {
  expect_exact_in_mode(GetParam().mode, "ceil", __ceil, mpfr_rint_ceil, rounding_dependence::nearest_only);
}

TEST_P(RoundingModeAccuracy, FloorIsExactInEveryMode) {
  expect_exact_in_mode(GetParam().mode, "floor", __floor, mpfr_rint_floor, rounding_dependence::nearest_only);
}

INSTANTIATE_TEST_SUITE_P(AllModes, RoundingModeAccuracy, ::testing::ValuesIn(all_rounding_modes),
                         [](const ::testing::TestParamInfo<rounding_mode>& info) { return info.param.name; });

TEST(ExactAccuracy, FmodIsExact) {
  const argument_pairs pairs = division_arguments(sample_count(), 0x5eed0010);
  reset_recorded_handler(0);
  const accuracy_report report = check_binary(__fmod, mpfr_fmod, rounding_dependence::nearest_only, pairs.xs, pairs.ys);
  print_report("fmod", report);
  EXPECT_EQ(report.count, pairs.xs.size());
  EXPECT_EQ(report.max_ulps, 0) << describe(report);
  EXPECT_EQ(report.max_exact_ulps, 0) << describe(report);
  EXPECT_EQ(recorded_handler.calls, 0);
}

TEST(ExactAccuracy, RemainderIsExact) {
  const argument_pairs pairs = division_arguments(sample_count(), 0x5eed0020);
  reset_recorded_handler(0);
  const accuracy_report report =
      check_binary(__remainder, mpfr_remainder, rounding_dependence::nearest_only, pairs.xs, pairs.ys);
  print_report("remainder", report);
  EXPECT_EQ(report.count, pairs.xs.size());
  EXPECT_EQ(report.max_ulps, 0) << describe(report);
  EXPECT_EQ(report.max_exact_ulps, 0) << describe(report);
  EXPECT_EQ(recorded_handler.calls, 0);
}

} // namespace
