// Every one of the exact functions must agree bit for bit with MPFR's
// correctly rounded value, over KORVEL_ACCURACY_SAMPLES arguments each.
#include "accuracy_sets.h"
#include "function_cases.h"
#include "korvel_math.h"
#include "mpfr_reference.h"
#include "recording_handler.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::size_t sample_count() { return accuracy_sample_count(); }

// The figures go to the test log so a run documents what it measured.
void print_report(const char* function, const accuracy_report& report) {
  std::printf("%s: %s\n", function, describe(report).c_str());
}

// The arguments of `function`, from the published accuracy sets.
argument_pairs arguments_of(const char* function) {
  for (std::size_t i = 0; i < exact_accuracy_set_count; ++i)
    if (std::string(exact_accuracy_sets[i].function) == function)
      return exact_accuracy_sets[i].make(sample_count());
  ADD_FAILURE() << "no accuracy set for " << function;
  return {};
}

class RoundingModeAccuracy : public ::testing::TestWithParam<rounding_mode> {};

TEST_P(RoundingModeAccuracy, SqrtIsCorrectlyRounded) {
  const std::vector<double> xs = arguments_of("sqrt").xs;
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
  const std::vector<double> xs = arguments_of(name).xs;
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
  const argument_pairs pairs = arguments_of("fmod");
  reset_recorded_handler(0);
  const accuracy_report report = check_binary(__fmod, mpfr_fmod, rounding_dependence::nearest_only, pairs.xs, pairs.ys);
  print_report("fmod", report);
  EXPECT_EQ(report.count, pairs.xs.size());
  EXPECT_EQ(report.max_ulps, 0) << describe(report);
  EXPECT_EQ(report.max_exact_ulps, 0) << describe(report);
  EXPECT_EQ(recorded_handler.calls, 0);
}

TEST(ExactAccuracy, RemainderIsExact) {
  const argument_pairs pairs = arguments_of("remainder");
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
