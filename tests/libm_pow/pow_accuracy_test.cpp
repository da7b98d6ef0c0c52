// pow against MPFR's correctly rounded value on every published argument set,
// through the library's own handler (ANSI mode), so that overflow gives ±inf
// and underflow ±0 as in IEEE arithmetic.
#include "accuracy_check.h"

TEST(PowAccuracy, EverySetStaysBelowOneUlp) {
  for (std::size_t i = 0; i < pow_accuracy_set_count; ++i) expect_set_within(pow_accuracy_sets[i], 1.0);
}
