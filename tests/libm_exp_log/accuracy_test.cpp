// exp and log against MPFR on every published argument set: each result within
// one ulp of the exact value (faithful), never further from the correctly
// rounded one. Overflow and underflow go through the library's own handler
// (ANSI mode: +inf and 0, as the correctly rounded values).
#include "accuracy_sets.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cstdio>
#include <string>

TEST(ExpLogAccuracy, EverySetStaysBelowOneUlp) {
  const std::size_t count = accuracy_sample_count();
  ASSERT_GT(exp_log_accuracy_set_count, 0u);
  for (std::size_t i = 0; i < exp_log_accuracy_set_count; ++i) {
    const accuracy_set& set = exp_log_accuracy_sets[i];
    const accuracy_report report = run_accuracy_set(set, count);
    std::feclearexcept(FE_ALL_EXCEPT);
    const std::string what = std::string(set.function) + " on " + set.range + ": " + describe(report);
    std::printf("%s\n", what.c_str());
    EXPECT_EQ(report.count, count) << what;
    EXPECT_LT(report.max_exact_ulps, 1.0) << what;
    EXPECT_LE(report.max_ulps, 1.0) << what;
  }
}
