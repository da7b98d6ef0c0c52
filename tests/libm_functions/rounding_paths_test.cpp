// ceil, floor and rint by the processor's rounding instruction against the
// add-and-subtract of 2^52 they replace: the same bits and the same flags in
// every rounding mode, on the edge values and on random doubles. The exported
// functions, whichever path they take here, are held to the same oracle.
#include "function_cases.h"
#include "integral_by_two52.h"
#include "korvel_math.h"
#include "mpfr_reference.h"
#include "libm_platform.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// noipa: no call is moved across the flag reads around it.
[[gnu::noipa]] double ceil_by_instruction(double x) { return integral_upward(x); }
[[gnu::noipa]] double floor_by_instruction(double x) { return integral_downward(x); }
[[gnu::noipa]] double rint_by_instruction(double x) { return integral_current_mode(x); }
[[gnu::noipa]] double ceil_by_sequence(double x) { return ceil_by_two52(x); }
[[gnu::noipa]] double floor_by_sequence(double x) { return floor_by_two52(x); }
[[gnu::noipa]] double rint_by_sequence(double x) { return rint_by_two52(x); }

struct rounding_paths {
  const char* name;
  double (*instruction)(double);
  double (*sequence)(double);
  double (*exported)(double);
};

constexpr rounding_paths all_paths[] = {
    {"ceil", ceil_by_instruction, ceil_by_sequence, __ceil},
    {"floor", floor_by_instruction, floor_by_sequence, __floor},
    {"rint", rint_by_instruction, rint_by_sequence, __rint},
};

struct outcome {
  std::uint64_t bits;
  int flags;
};

outcome observe(double (*path)(double), double x) {
  std::feclearexcept(FE_ALL_EXCEPT);
  const double r = path(x);
  return {to_bits(r), std::fetestexcept(FE_ALL_EXCEPT)};
}

// Counts the arguments on which a path differs from the sequence; reports the first few.
int count_differences(const rounding_paths& paths, const rounding_mode& mode, const std::vector<double>& xs) {
  int differences = 0;
  rounding_scope scope(mode.mode);
  for (const double x : xs) {
    const outcome expected = observe(paths.sequence, x);
    const struct {
      const char* path;
      outcome got;
    } candidates[] = {{"instruction", observe(paths.instruction, x)}, {"exported", observe(paths.exported, x)}};
    for (const auto& c : candidates) {
      if (c.got.bits == expected.bits && c.got.flags == expected.flags) continue;
      if (++differences <= 5)
        ADD_FAILURE() << paths.name << " by " << c.path << " (0x" << std::hex << to_bits(x) << ") " << mode.name
                      << ": 0x" << c.got.bits << " flags 0x" << c.got.flags << ", sequence 0x" << expected.bits
                      << " flags 0x" << expected.flags;
    }
  }
  return differences;
}

std::vector<double> edge_values() {
  std::vector<double> xs = special_doubles();
  const std::uint64_t more[] = {
      0x3fe0000000000001,  // just above 0.5
      0x3fdfffffffffffff,  // just below 0.5
      0x4330000000000000,  // 2^52
      0x432ffffffffffffe,  // 2^52 - 1
      0x432ffffffffffffd,  // 2^52 - 1.5
      0x4337ffffffffffff,  // 2^52 + 2^51 - 1, odd integer
      0x7ff4000000000000,  // signalling NaN with a payload
      0x0008000000000000,  // subnormal
  };
  for (const std::uint64_t bits : more) {
    xs.push_back(from_bits(bits));
    xs.push_back(from_bits(bits | minus_zero));
  }
  return xs;
}

// Every bit pattern, every binade, and the binades where the fraction matters most.
std::vector<double> random_values() {
  argument_engine engine(15);
  const std::size_t count = accuracy_sample_count();
  std::vector<double> xs;
  xs.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    switch (i % 3) {
    case 0:
      xs.push_back(random_bit_pattern(engine));
      break;
    case 1:
      xs.push_back(random_over_exponent_range(engine));
      break;
    default:
      xs.push_back(random_in_biased_exponents(engine, 1023 - 3, 1023 + 53));
      break;
    }
  }
  return xs;
}

class RoundingPaths : public ::testing::TestWithParam<rounding_paths> {};

TEST_P(RoundingPaths, InstructionMatchesTheSequenceBitForBitAndFlagForFlag) {
  if (!has_round_instruction()) GTEST_SKIP() << "no rounding instruction on this processor";
  const std::vector<double> edges = edge_values();
  const std::vector<double> randoms = random_values();
  for (const rounding_mode& mode : all_rounding_modes) {
    EXPECT_EQ(count_differences(GetParam(), mode, edges), 0) << GetParam().name << " edge values, " << mode.name;
    EXPECT_EQ(count_differences(GetParam(), mode, randoms), 0) << GetParam().name << " random values, " << mode.name;
  }
}

INSTANTIATE_TEST_SUITE_P(CeilFloorRint, RoundingPaths, ::testing::ValuesIn(all_paths),
                         [](const ::testing::TestParamInfo<rounding_paths>& info) { return std::string(info.param.name); });

}  // namespace
