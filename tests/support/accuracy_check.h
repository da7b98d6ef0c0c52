// The assertion every accuracy test makes of one argument set.
#pragma once

#include "accuracy_sets.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cstdio>
#include <string>

// Measures `set` on accuracy_sample_count() arguments and prints the report:
// every result must lie below `bound` ulps of the exact value and at most one
// ulp from the correctly rounded one.
inline void expect_set_within(const accuracy_set& set, double bound) {
  const std::size_t count = accuracy_sample_count();
  const accuracy_report report = run_accuracy_set(set, count);
  std::feclearexcept(FE_ALL_EXCEPT);
  const std::string what = std::string(set.function) + ", " + set.range + ": " + describe(report);
  std::printf("%s\n", what.c_str());
  std::fflush(stdout);
  EXPECT_EQ(report.count, count) << what;
  EXPECT_LT(report.max_exact_ulps, bound) << what;
  EXPECT_LE(report.max_ulps, 1.0) << what;
}
