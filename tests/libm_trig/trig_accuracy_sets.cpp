// Argument sets of sin, cos and tan: each range once per function, with fixed
// seeds so the tests and the table tool measure the same arguments.
#include "accuracy_sets.h"

#include "korvel_math.h"
#include "reduction_arguments.h"

#include <random>

namespace {

constexpr double pio4 = 0.78539816339744828;
constexpr double three_pio4 = 2.3561944901923448;

// |x| <= pi/4 without reduction: half uniform (mostly the table), half spread
// over the binades below, so the polynomials and the tiny branch count too.
argument_pairs up_to_pio4(std::size_t count) {
  std::vector<double> xs = uniform_arguments(count / 2, 0x7219c001, 0.0, pio4, true);
  argument_engine engine(0x7219c002);
  while (xs.size() < count) xs.push_back(random_in_biased_exponents(engine, 0x3c0, 0x3fe));
  for (double& x : xs)
    if (x > pio4 || x < -pio4) x = x / 2;
  return {xs, {}};
}

argument_pairs table_range(std::size_t count) { return {uniform_arguments(count, 0x7219c003, 0.15, 0.8, true), {}}; }

// One step of reduction, the near-pi/2 path.
argument_pairs up_to_3pio4(std::size_t count) {
  return {uniform_arguments(count, 0x7219c004, pio4, three_pio4, true), {}};
}

// Cody-Waite reduction: up to 1647099, uniform and spread over the binades.
argument_pairs medium_range(std::size_t count) {
  std::vector<double> xs = uniform_arguments(count / 2, 0x7219c005, three_pio4, 1647099.0, true);
  argument_engine engine(0x7219c006);
  while (xs.size() < count) {
    const double x = random_in_biased_exponents(engine, 0x400, 0x413);
    xs.push_back(x < 1647099.0 && x > -1647099.0 ? x : x / 2);
  }
  return {xs, {}};
}

// The multi-precision reduction: every binade from 2^20 to the largest.
argument_pairs huge_range(std::size_t count) {
  argument_engine engine(0x7219c007);
  std::vector<double> xs;
  xs.reserve(count);
  while (xs.size() < count) xs.push_back(random_in_biased_exponents(engine, 0x413, 0x7fe));
  return {xs, {}};
}

// Where reduction cancels most: the doubles nearest n*pi/2 (n up to 2^62) and
// the closest per binade; sin and tan of these are tiny, cos of odd n too.
argument_pairs near_multiples_of_pio2(std::size_t count) {
  std::vector<double> xs = close_to_multiples_of_pio2(2);
  if (xs.size() > count) xs.resize(count);
  const std::vector<double> rest = nearest_to_random_multiples_of_pio2(count - xs.size(), 62, 0x7219c008);
  xs.insert(xs.end(), rest.begin(), rest.end());
  return {xs, {}};
}

#define TRIG_SETS(name, ours, reference)                                                          \
  {name, "[-pi/4, pi/4]", ours, reference, nullptr, nullptr, up_to_pio4},                        \
      {name, "[0.15, 0.8] (table)", ours, reference, nullptr, nullptr, table_range},              \
      {name, "pi/4 .. 3pi/4", ours, reference, nullptr, nullptr, up_to_3pio4},                    \
      {name, "3pi/4 .. 1647099 (medium)", ours, reference, nullptr, nullptr, medium_range},       \
      {name, "2^20 .. max (huge)", ours, reference, nullptr, nullptr, huge_range},                \
      {name, "nearest n*pi/2", ours, reference, nullptr, nullptr, near_multiples_of_pio2}

}  // namespace

const accuracy_set trig_accuracy_sets[] = {
    TRIG_SETS("sin", __sin, mpfr_sin),
    TRIG_SETS("cos", __cos, mpfr_cos),
    TRIG_SETS("tan", __tan, mpfr_tan),
};
const std::size_t trig_accuracy_set_count = std::size(trig_accuracy_sets);
