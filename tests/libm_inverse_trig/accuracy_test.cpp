// atan, atan2, asin and acos against MPFR on every published argument set.
// atan2 rounds |y|/|x| before __atan: where the arctangent lies a binade below
// the quotient that half ulp counts double, so its bound is wider.
#include "inverse_trig_accuracy_sets.h"
#include "recording_handler.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

namespace {

double bound_for(const char* function) { return std::strcmp(function, "atan2") == 0 ? 1.5 : 0.9; }

TEST(InverseTrigAccuracy, EverySetStaysWithinItsBound) {
  const std::size_t count = accuracy_sample_count();
  ASSERT_GT(inverse_trig_accuracy_set_count, 0u);
  for (std::size_t i = 0; i < inverse_trig_accuracy_set_count; ++i) {
    const accuracy_set& set = inverse_trig_accuracy_sets[i];
    reset_recorded_handler(0);
    const accuracy_report report = run_accuracy_set(set, count);
    std::printf("%s, %s: %s\n", set.function, set.range, describe(report).c_str());
    SCOPED_TRACE(std::string(set.function) + ", " + set.range);
    EXPECT_EQ(report.count, count);
    EXPECT_LT(report.max_exact_ulps, bound_for(set.function)) << describe(report);
    // One ulp from the correctly rounded value at most.
    EXPECT_LE(report.max_ulps, 1) << describe(report);
    EXPECT_EQ(recorded_handler.calls, 0);
  }
}

}  // namespace
