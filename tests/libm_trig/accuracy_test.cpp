// sin, cos and tan against MPFR on every argument set, KORVEL_ACCURACY_SAMPLES
// arguments per set: within one ulp of the exact value, so never further than
// the neighbour of the correctly rounded one.
#include "accuracy_check.h"

namespace {

TEST(TrigAccuracy, EverySetStaysBelowOneUlp) {
  for (std::size_t i = 0; i < trig_accuracy_set_count; ++i) expect_set_within(trig_accuracy_sets[i], 1.0);
}

}  // namespace
