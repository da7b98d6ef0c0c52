// The batch sin, cos and tan against their scalar functions on the arguments
// that steer the vector path's selects: every reduction branch (the rare ones
// the vector code takes for the whole block), every kernel branch bound,
// breakpoints, and off-path lanes mixed in. Run with the instruction set the
// dispatcher picks (KORVEL_BATCH_TARGET forces another).
#include "korvel_math.h"
#include "reduction_arguments.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfenv>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

namespace {

using batch_function = void (*)(size_t, const double*, double*);

struct trig_pair {
  const char* name;
  batch_function batch;
  double (*scalar)(double);
};

const trig_pair trig_functions[] = {
    {"sin", korvel_vsin, __sin},
    {"cos", korvel_vcos, __cos},
    {"tan", korvel_vtan, __tan},
};

double from_bits(std::uint64_t bits) { return std::bit_cast<double>(bits); }

// Doubles around the start of each high word the vector path tests, both signs.
std::vector<double> branch_bounds() {
  const std::uint32_t high_words[] = {
      0x3e400000, // kernels: tiny below
      0x3f200000, // short polynomials below
      0x3fc40000, // cos and tan table
      0x3fc90000, // sin table
      0x3fe921fb, 0x3fe921fc, // pi/4: reduction from the next high word on
      0x3ff921fb, 0x3ff921fc, // pi/2: 33 more bits first
      0x4002d97b, 0x4002d97c, // 3pi/4: n = 1 below
      0x413921fb, 0x413921fc, // 2^20 pi/2: chunked from here
  };
  const std::uint32_t low_words[] = {0, 1, 0x54442d18, 0x54442d19, 0x7fffffff, 0xfffffffe, 0xffffffff};
  std::vector<double> xs;
  for (std::uint32_t high : high_words)
    for (std::uint32_t low : low_words)
      for (std::uint64_t sign : {0ULL, 1ULL << 63}) {
        xs.push_back(from_bits(sign | (std::uint64_t{high} << 32) | low));
        xs.push_back(from_bits(sign | ((std::uint64_t{high - 1} << 32) | low)));
      }
  return xs;
}

// Each table breakpoint and its neighbours, where the split's offset is zero or one ulp.
std::vector<double> breakpoints() {
  std::vector<double> xs;
  for (std::uint64_t i = 0; i < 75; ++i)
    for (int ulps = -2; ulps <= 2; ++ulps) {
      const double x = from_bits(((0x3fc40000 + i * 0x8000) << 32) + ulps);
      xs.push_back(x);
      xs.push_back(-x);
      // The same offset after one and after many quadrants.
      xs.push_back(x + 1.5707963267948966);
      xs.push_back(x + 314159.2653589793);
    }
  return xs;
}

// Reduced arguments 2^-13 from a multiple of pi/2 (a few parts in 2^30 either
// way), where the kernels' short polynomials start, in every quadrant and up
// to 2^6 pi/2: the vector form must take its full kernels for them.
std::vector<double> heads_near_the_short_polynomials() {
  std::vector<double> xs;
  for (int k = 1; k <= 64; ++k)
    for (int step = -2; step <= 2; ++step)
      for (double side : {1.0, -1.0}) {
        const double x = k * 1.5707963267948966 + side * 0x1p-13 * (1.0 + step * 0x1p-30);
        xs.push_back(x);
        xs.push_back(-x);
      }
  return xs;
}

std::vector<double> uniform(double low, double high, std::size_t count, std::uint64_t seed) {
  std::mt19937_64 engine(seed);
  std::uniform_real_distribution<double> value(low, high);
  std::vector<double> xs(count);
  for (double& x : xs) x = value(engine);
  return xs;
}

// Every fifth lane off the path: zeros, tiny and huge arguments, infinities, NaNs.
std::vector<double> with_off_path_lanes(std::vector<double> xs) {
  const double off_path[] = {0.0, -0.0, 1e-300, -3e-9, 4.9e-324, 1e22, -1.7976931348623157e308,
                             INFINITY, -INFINITY, NAN, 1647100.0};
  for (std::size_t i = 0; i < xs.size(); i += 5) xs[i] = off_path[(i / 5) % std::size(off_path)];
  return xs;
}

struct argument_set {
  const char* name;
  std::vector<double> xs;
};

std::vector<argument_set> argument_sets() {
  std::vector<double> reductions = nearest_to_multiples_of_pio2(1, 2000);
  const std::vector<double> random_multiples = nearest_to_random_multiples_of_pio2(2000, 20, 21);
  reductions.insert(reductions.end(), random_multiples.begin(), random_multiples.end());
  for (double x : close_to_multiples_of_pio2(4))
    if (std::fabs(x) < 1647099.0) reductions.push_back(x);
  return {
      {"reductions losing many bits", reductions},
      {"branch bounds", branch_bounds()},
      {"heads near 2^-13", heads_near_the_short_polynomials()},
      {"breakpoints", breakpoints()},
      {"[-pi, pi]", uniform(-3.141592653589793, 3.141592653589793, 4000, 1)},
      {"[-2^20 pi/2, 2^20 pi/2]", uniform(-1647099.0, 1647099.0, 4000, 2)},
      {"[-pi, pi] with off-path lanes", with_off_path_lanes(uniform(-3.141592653589793, 3.141592653589793, 4000, 3))},
  };
}

bool same_result(double a, double b) {
  return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b) || (std::isnan(a) && std::isnan(b));
}

// The batch over xs[offset ...] in pieces of `piece` elements (every lane
// position and tail length over the offsets and pieces used), in place, against
// the scalar loop: bits and accrued flags.
void expect_batch_equals_loop(const trig_pair& f, const std::vector<double>& xs, std::size_t offset, std::size_t piece,
                              const char* set) {
  std::vector<double> expected(xs.begin() + offset, xs.end());
  std::feclearexcept(FE_ALL_EXCEPT);
  for (double& x : expected) x = f.scalar(x);
  const int loop_flags = std::fetestexcept(FE_ALL_EXCEPT);

  std::vector<double> in_place(xs.begin() + offset, xs.end());
  std::feclearexcept(FE_ALL_EXCEPT);
  for (std::size_t i = 0; i < in_place.size(); i += piece)
    f.batch(std::min(piece, in_place.size() - i), in_place.data() + i, in_place.data() + i);
  const int batch_flags = std::fetestexcept(FE_ALL_EXCEPT);

  EXPECT_EQ(batch_flags, loop_flags) << f.name << " on " << set << ", offset " << offset << ", pieces of " << piece;
  int shown = 0;
  for (std::size_t i = 0; i < expected.size() && shown < 5; ++i)
    if (!same_result(in_place[i], expected[i])) {
      ADD_FAILURE() << f.name << " on " << set << ": x = " << std::hexfloat << xs[offset + i] << " gives "
                    << in_place[i] << ", the scalar function " << expected[i];
      ++shown;
    }
}

TEST(BatchTrig, EqualsTheScalarLoopOnEveryArgumentSet) {
  for (const argument_set& set : argument_sets())
    for (const trig_pair& f : trig_functions)
      for (std::size_t offset = 0; offset < 8; ++offset)
        expect_batch_equals_loop(f, set.xs, offset, 3 + offset * 5, set.name);
}

TEST(BatchTrig, FlagsOfSingleElementsAndShortArrays) {
  // One element at a time: the vector body on one lane must raise exactly
  // what the scalar call raises, zero and exact cases included.
  const std::vector<double> xs = branch_bounds();
  for (const trig_pair& f : trig_functions)
    for (std::size_t piece = 1; piece <= 9; ++piece) expect_batch_equals_loop(f, xs, 0, piece, "branch bounds");
}

// The vector body computes every branch and selects: its extra operations may
// raise only inexact, which the scalar function raises anyway for every
// argument the body takes (2^-27 <= |x| < 2^20 pi/2). Holds the premise to
// the hard sets.
TEST(BatchTrig, EveryArgumentOnTheVectorPathRaisesInexactInTheScalarFunction) {
  for (const argument_set& set : argument_sets())
    for (const trig_pair& f : trig_functions)
      for (double x : set.xs) {
        const double magnitude = std::fabs(x);
        if (!(magnitude >= 0x1p-27 && magnitude < from_bits(0x413921fc00000000ULL))) continue;
        std::feclearexcept(FE_ALL_EXCEPT);
        volatile double result = f.scalar(x);
        (void)result;
        EXPECT_EQ(std::fetestexcept(FE_ALL_EXCEPT), FE_INEXACT) << f.name << "(" << std::hexfloat << x << ")";
      }
}

}  // namespace
