// The multi-precision reduction's working arrays hold 20 entries and its table
// 66: every index that __libm__rem_pio2 can make it use stays inside them. This
// program links a build of the reduction (and of the specialised copy that
// __libm__rem_pio2 inlines) that reports its indices (see observed_indices.h)
// in place of the library's.
#include "function_cases.h"
#include "korvel_math.h"
#include "mpfr_reference.h"
#include "observed_indices.h"
#include "reduction_arguments.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {
int highest_working_index = -1;
int highest_table_index = -1;
int calls_through_the_hook = 0;
}  // namespace

void observe_working_index(int index) {
  highest_working_index = std::max(highest_working_index, index);
  ++calls_through_the_hook;
}
void observe_table_index(int index) { highest_table_index = std::max(highest_table_index, index); }

namespace {

void reduce_all(const std::vector<double>& xs) {
  double y[2];
  for (double x : xs) __libm__rem_pio2(x, y);
}

TEST(ReductionBounds, WorkingArraysAndTableStayInBounds) {
  std::vector<double> xs = close_to_multiples_of_pio2(8);
  xs.push_back(std::ldexp(6381956970095103.0, 797));
  xs.push_back(from_bits(max_finite));
  // Every binade of the chunked path, the largest exponents included.
  argument_engine engine(0x7219b001);
  for (int biased = 0x413; biased <= 0x7fe; ++biased)
    for (int i = 0; i < 200; ++i) xs.push_back(random_in_biased_exponents(engine, biased, biased));
  const std::vector<double> spread = nearest_to_random_multiples_of_pio2(100000, 64, 0x7219b002);
  xs.insert(xs.end(), spread.begin(), spread.end());

  reduce_all(xs);
  std::printf("rem_pio2m over %zu arguments: highest working index %d (of 20), highest table index %d (of 66)\n",
              xs.size(), highest_working_index, highest_table_index);
  ASSERT_GT(calls_through_the_hook, 0) << "the observing build of the reduction was not linked";
  EXPECT_LT(highest_working_index, 20);
  EXPECT_LT(highest_table_index, 66);
}

}  // namespace
