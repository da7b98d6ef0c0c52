// pow against MPFR's correctly rounded value on every published argument set,
// through the library's own handler (ANSI mode), so that overflow gives ±inf
// and underflow ±0 as in IEEE arithmetic.
#include "accuracy_sets.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cstdio>

TEST(PowAccuracy, EverySetStaysBelowOneUlp) {
  const std::size_t count = accuracy_sample_count();
  for (std::size_t i = 0; i < pow_accuracy_set_count; ++i) {
    const accuracy_set& set = pow_accuracy_sets[i];
    SCOPED_TRACE(set.range);
    const accuracy_report report = run_accuracy_set(set, count);
    std::feclearexcept(FE_ALL_EXCEPT);
    std::printf("%s, %s: %s\n", set.function, set.range, describe(report).c_str());
    EXPECT_EQ(report.count, count);
    EXPECT_LE(report.max_ulps, 1.0) << describe(report);
    EXPECT_LT(report.max_exact_ulps, 1.0) << describe(report);
  }
}
