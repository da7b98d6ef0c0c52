// The copy of the multi-precision reduction that sin, cos and tan inline cuts
// the argument into one to three chunks itself and gives two doubles, with
// truncations by roundsd where the processor has SSE4.1. Both instruction paths
// must give the exported general reduction's bits exactly, on the chunks the
// entry function made for it before, the hardest cancellations included.
#include "function_cases.h"
#include "korvel_math.h"
#include "mpfr_reference.h"
#include "reduction_arguments.h"
#include "rem_pio2m.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

struct chunked_argument {
  double chunks[3];
  int e0;
  int nx;
};

// |x| >= 2^20 pi/2 cut as the entry function used to cut it: 2^23 <= z < 2^24 after
// taking e0 off the exponent, then 24-bit chunks, trailing zero chunks dropped.
chunked_argument chunked(double x) {
  chunked_argument a;
  const double magnitude = std::fabs(x);
  int exponent;
  std::frexp(magnitude, &exponent);
  a.e0 = exponent - 24;
  double z = std::ldexp(magnitude, -a.e0);
  a.chunks[0] = std::trunc(z);
  z = (z - a.chunks[0]) * 0x1p24;
  a.chunks[1] = std::trunc(z);
  a.chunks[2] = (z - a.chunks[1]) * 0x1p24;
  a.nx = a.chunks[2] != 0 ? 3 : a.chunks[1] != 0 ? 2 : 1;
  return a;
}

// Number of arguments whose result differs from the general reduction's.
template <bool sse41>
int mismatches(const std::vector<double>& xs) {
  int count = 0;
  for (double x : xs) {
    const chunked_argument a = chunked(x);
    double general[2];
    double copy[2];
    const int n_general = __libm__rem_pio2m(a.chunks, general, a.e0, a.nx, 2, __libm_TBL_ipio2_inf);
    const double z = std::ldexp(std::fabs(x), -a.e0);
    const int n_copy = multi_precision::reduce_to_two_doubles<sse41>(z, a.e0, copy);
    if (n_copy != n_general || to_bits(copy[0]) != to_bits(general[0]) || to_bits(copy[1]) != to_bits(general[1]))
      ++count;
  }
  return count;
}

std::vector<double> huge_arguments() {
  std::vector<double> xs;
  for (double x : close_to_multiples_of_pio2(8))
    if (std::fabs(x) > 0x1p21) xs.push_back(x);
  for (double x : nearest_to_random_multiples_of_pio2(20000, 64, 0x5bec1a1))
    if (std::fabs(x) > 0x1p21) xs.push_back(x);
  argument_engine engine(0x5bec1a2);
  for (int biased = 0x414; biased <= 0x7fe; ++biased) {
    for (int i = 0; i < 40; ++i) {
      const double x = random_in_biased_exponents(engine, biased, biased);
      xs.push_back(x);
      // One and two chunks in.
      xs.push_back(from_bits(to_bits(x) & 0xffffffffe0000000u));
      xs.push_back(from_bits(to_bits(x) & 0xffffffe000000000u));
    }
  }
  xs.push_back(from_bits(0x7fefffffffffffffu));
  return xs;
}

TEST(SpecialisedReduction, IntegerTruncationsMatchTheGeneralReduction) {
  const std::vector<double> xs = huge_arguments();
  ASSERT_GT(xs.size(), 40000u);
  EXPECT_EQ(mismatches<false>(xs), 0);
}

TEST(SpecialisedReduction, RoundsdTruncationsMatchTheGeneralReduction) {
  if (!__builtin_cpu_supports("sse4.1")) GTEST_SKIP() << "no SSE4.1 on this processor";
  const std::vector<double> xs = huge_arguments();
  EXPECT_EQ(mismatches<true>(xs), 0);
}

}  // namespace
