// The accuracy checker must see errors: a result one ulp off, a wrong sign of
// zero or a NaN where a number belongs may not pass as exact.
#include "function_cases.h"
#include "mpfr_reference.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

double exact_sqrt_via_mpfr(double x) { return reference_unary(mpfr_sqrt, x, MPFR_RNDN); }
double one_ulp_up(double x) { return from_bits(to_bits(reference_unary(mpfr_sqrt, x, MPFR_RNDN)) + 1); }
double sign_flipped_zero(double x) { return x == 0 ? -x : exact_sqrt_via_mpfr(x); }

TEST(AccuracyChecker, ExactResultsHaveNoError) {
  const std::vector<double> xs = {1.0, 2.0, 3.0, from_bits(min_subnormal), 1e300};
  const accuracy_report report = check_unary(exact_sqrt_via_mpfr, mpfr_sqrt, rounding_dependence::nearest_only, xs);
  EXPECT_EQ(report.max_ulps, 0);
  EXPECT_EQ(report.inexact_count, 0u);
  EXPECT_LE(report.max_exact_ulps, 0.5);
}

TEST(AccuracyChecker, OneUlpOffIsSeen) {
  const std::vector<double> xs = {4.0, 2.0};
  const accuracy_report report = check_unary(one_ulp_up, mpfr_sqrt, rounding_dependence::nearest_only, xs);
  EXPECT_EQ(report.max_ulps, 1);
  EXPECT_EQ(report.inexact_count, 2u);
  EXPECT_EQ(report.worst_x, 4.0);
  EXPECT_GT(report.max_exact_ulps, 0.5);
}

TEST(AccuracyChecker, WrongSignOfZeroIsAnError) {
  const std::vector<double> xs = {0.0};
  const accuracy_report report = check_unary(sign_flipped_zero, mpfr_sqrt, rounding_dependence::nearest_only, xs);
  EXPECT_EQ(report.max_ulps, std::numeric_limits<double>::infinity());
}

TEST(AccuracyChecker, UlpDistances) {
  EXPECT_EQ(ulps_from_rounded(from_bits(quiet_nan), from_bits(signalling_nan)), 0);
  EXPECT_EQ(ulps_from_rounded(1.0, from_bits(quiet_nan)), std::numeric_limits<double>::infinity());
  EXPECT_EQ(ulps_from_rounded(from_bits(max_finite), from_bits(plus_inf)), std::numeric_limits<double>::infinity());
  EXPECT_EQ(ulps_from_rounded(from_bits(0x3ff0000000000003), 1.0), 3);
  EXPECT_EQ(ulps_from_rounded(from_bits(2), from_bits(min_subnormal)), 1);
  EXPECT_EQ(ulp_of(1.0), from_bits(0x3cb0000000000000));
  EXPECT_EQ(ulp_of(0.0), from_bits(min_subnormal));
  EXPECT_EQ(ulp_of(from_bits(0x0010000000000000)), from_bits(min_subnormal));
}

TEST(AccuracyChecker, ReferenceFollowsTheRequestedRoundingAndSubnormals) {
  EXPECT_EQ(to_bits(reference_unary(mpfr_sqrt, 2.0, MPFR_RNDU)), 0x3ff6a09e667f3bcdu);
  EXPECT_EQ(to_bits(reference_unary(mpfr_sqrt, 2.0, MPFR_RNDD)), 0x3ff6a09e667f3bccu);
  // 2^-1074 / 3 rounds to the smallest subnormal upward, to zero downward.
  EXPECT_EQ(to_bits(reference_binary(mpfr_div, from_bits(min_subnormal), 3.0, MPFR_RNDU)), min_subnormal);
  EXPECT_EQ(to_bits(reference_binary(mpfr_div, from_bits(min_subnormal), 3.0, MPFR_RNDD)), plus_zero);
  // 3 * 2^-1074 / 2 is a tie between subnormals: to even, 2 * 2^-1074.
  EXPECT_EQ(to_bits(reference_binary(mpfr_div, from_bits(3), 2.0, MPFR_RNDN)), 2u);
  EXPECT_EQ(to_bits(reference_binary(mpfr_mul, from_bits(max_finite), 2.0, MPFR_RNDN)), plus_inf);
  EXPECT_EQ(to_bits(reference_binary(mpfr_mul, from_bits(max_finite), 2.0, MPFR_RNDZ)), max_finite);
}

TEST(AccuracyChecker, ModeLookupAndGenerators) {
  for (const rounding_mode& m : all_rounding_modes) {
    rounding_scope scope(m.mode);
    const mpfr_rnd_t expected[] = {MPFR_RNDN, MPFR_RNDU, MPFR_RNDD, MPFR_RNDZ};
    EXPECT_EQ(current_mpfr_rounding(), expected[&m - all_rounding_modes]);
  }
  const std::vector<double> xs = mixed_arguments(20000, 7);
  ASSERT_EQ(xs.size(), 20000u);
  const std::vector<double> again = mixed_arguments(20000, 7);
  for (std::size_t i = 0; i < xs.size(); ++i)
    ASSERT_EQ(to_bits(xs[i]), to_bits(again[i])) << i;
  int subnormals = 0, negatives = 0, huge = 0;
  for (const double x : xs) {
    const std::uint64_t magnitude = to_bits(x) & 0x7fffffffffffffffu;
    subnormals += magnitude != 0 && magnitude < 0x0010000000000000u;
    negatives += (to_bits(x) >> 63) != 0;
    huge += magnitude >= 0x7fe0000000000000u && magnitude < plus_inf;
  }
  EXPECT_GT(subnormals, 10);
  EXPECT_GT(negatives, 8000);
  EXPECT_GT(huge, 3);
}

} // namespace
