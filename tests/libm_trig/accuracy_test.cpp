// sin, cos and tan against MPFR on every argument set, KORVEL_ACCURACY_SAMPLES
// arguments per set: within one ulp of the exact value, so never further than
// the neighbour of the correctly rounded one.
#include "mpfr_reference.h"
#include "accuracy_sets.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

TEST(TrigAccuracy, EverySetStaysBelowOneUlp) {
  const std::size_t count = accuracy_sample_count();
  for (std::size_t i = 0; i < trig_accuracy_set_count; ++i) {
    const accuracy_set& set = trig_accuracy_sets[i];
    const accuracy_report report = run_accuracy_set(set, count);
    std::printf("%s %s: %s\n", set.function, set.range, describe(report).c_str());
    std::fflush(stdout);
    EXPECT_EQ(report.count, count) << set.function << " " << set.range;
    EXPECT_LT(report.max_exact_ulps, 1.0) << set.function << " " << set.range << ": " << describe(report);
    EXPECT_LE(report.max_ulps, 1.0) << set.function << " " << set.range << ": " << describe(report);
  }
}

}  // namespace
