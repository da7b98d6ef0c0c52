// atan, atan2, asin and acos against MPFR on every published argument set.
// atan2 rounds |y|/|x| before __atan: where the arctangent lies a binade below
// the quotient that half ulp counts double (up to about 1.47 ulp on pairs
// aimed there), so its bound is wider.
#include "accuracy_check.h"
#include "recording_handler.h"

#include <cctype>
#include <cstring>
#include <string>

namespace {

double bound_for(const char* function) { return std::strcmp(function, "atan2") == 0 ? 1.5 : 0.9; }

class InverseTrigAccuracy : public ::testing::TestWithParam<std::size_t> {};

TEST_P(InverseTrigAccuracy, StaysWithinItsBound) {
  const accuracy_set& set = inverse_trig_accuracy_sets[GetParam()];
  reset_recorded_handler(0);
  expect_set_within(set, bound_for(set.function));
  EXPECT_EQ(recorded_handler.calls, 0);
}

// "atan, 1/8 <= |x| < 8" becomes atan_1_8_x_8.
std::string set_name(const ::testing::TestParamInfo<std::size_t>& info) {
  const accuracy_set& set = inverse_trig_accuracy_sets[info.param];
  std::string name = std::string(set.function) + "_" + set.range;
  std::string out;
  for (const char ch : name) {
    const bool word = std::isalnum(static_cast<unsigned char>(ch)) != 0;
    if (word)
      out += ch;
    else if (!out.empty() && out.back() != '_')
      out += '_';
  }
  while (!out.empty() && out.back() == '_') out.pop_back();
  return out;
}

INSTANTIATE_TEST_SUITE_P(Sets, InverseTrigAccuracy, ::testing::Range<std::size_t>(0, inverse_trig_accuracy_set_count),
                         set_name);

}  // namespace
