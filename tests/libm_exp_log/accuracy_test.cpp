// exp and log against MPFR on every published argument set: each result within
// one ulp of the exact value (faithful), never further from the correctly
// rounded one. Overflow and underflow go through the library's own handler
// (ANSI mode: +inf and 0, as the correctly rounded values).
#include "accuracy_check.h"

TEST(ExpLogAccuracy, EverySetStaysBelowOneUlp) {
  ASSERT_GT(exp_log_accuracy_set_count, 0u);
  for (std::size_t i = 0; i < exp_log_accuracy_set_count; ++i) expect_set_within(exp_log_accuracy_sets[i], 1.0);
}
