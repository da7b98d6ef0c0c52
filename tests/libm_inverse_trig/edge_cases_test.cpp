// The edge values of atan, atan2, asin and acos bit for bit with the exact set
// of exception flags, and the calls their domain errors make to the handler.
// Expected values: the table points and constants of the algorithms, and
// MPFR's correctly rounded values (of atan at the rounded quotient for atan2
// in the finite case, which is what atan2 computes).
#include "function_cases.h"
#include "korvel_math.h"
#include "recording_handler.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

using two_operands = double (*)(double, double);
double atan_of(double x, double) { return __atan(x); }
double asin_of(double x, double) { return __asin(x); }
double acos_of(double x, double) { return __acos(x); }
double atan2_of(double y, double x) { return __atan2(y, x); }

struct edge_case {
  const char* function;
  two_operands call;
  std::uint64_t a; // the argument; atan2's y
  std::uint64_t b; // atan2's x, else unused
  std::uint64_t expected;
  unsigned flags; // exactly the flags raised
};

constexpr unsigned none = 0;
constexpr unsigned INX = FE_INEXACT;
constexpr unsigned INV = FE_INVALID;

// Bit patterns of the arguments and results.
constexpr std::uint64_t one = 0x3ff0000000000000, minus_one = 0xbff0000000000000;
constexpr std::uint64_t half = 0x3fe0000000000000, minus_half = 0xbfe0000000000000;
constexpr std::uint64_t pio4 = 0x3fe921fb54442d18, minus_pio4 = 0xbfe921fb54442d18;
constexpr std::uint64_t pio2 = 0x3ff921fb54442d18, minus_pio2 = 0xbff921fb54442d18;
constexpr std::uint64_t pi = 0x400921fb54442d18, minus_pi = 0xc00921fb54442d18;
constexpr std::uint64_t three_pio4 = 0x4002d97c7f3321d2, minus_three_pio4 = 0xc002d97c7f3321d2;
constexpr std::uint64_t two_m28 = 0x3e30000000000000, two_m14 = 0x3f10000000000000, two_m10 = 0x3f50000000000000;
constexpr std::uint64_t two_m27 = 0x3e40000000000000, two_m57 = 0x3c60000000000000;
constexpr std::uint64_t two_19 = 0x4120000000000000, two_55 = 0x4360000000000000, sixty_five = 0x4050400000000000;
constexpr std::uint64_t two_1000 = 0x7e70000000000000, two_m1000 = 0x0170000000000000;
constexpr std::uint64_t eighth = 0x3fc0000000000000, eight = 0x4020000000000000;
constexpr std::uint64_t p0975 = 0x3fef333333333333, p09749 = 0x3fef32617c1bda51;
constexpr std::uint64_t sign = 0x8000000000000000;
constexpr std::uint64_t below(std::uint64_t bits) { return bits - 1; }

const edge_case atan_cases[] = {
    {"atan", atan_of, plus_zero, 0, plus_zero, none},
    {"atan", atan_of, minus_zero, 0, minus_zero, none},
    {"atan", atan_of, min_subnormal, 0, min_subnormal, INX},
    {"atan", atan_of, min_subnormal | sign, 0, min_subnormal | sign, INX},
    {"atan", atan_of, plus_inf, 0, pio2, INX},
    {"atan", atan_of, minus_inf, 0, minus_pio2, INX},
    {"atan", atan_of, quiet_nan, 0, quiet_nan, none},
    {"atan", atan_of, signalling_nan, 0, quiet_nan, INV},
    {"atan", atan_of, one, 0, pio4, INX}, // table row 48, s = 0
    {"atan", atan_of, minus_one, 0, minus_pio4, INX},
    // The step-4 polynomial below 1/8, the table from 1/8 on (row 0), 7.9999
    // reduced to 8.0 (row 96), 1/|x| from 8.0 on.
    {"atan", atan_of, 0x3fbffffe5280d654, 0, 0x3fbfd5b8f3c893d7, INX},
    {"atan", atan_of, eighth, 0, 0x3fbfd5ba9aac2f6e, INX},
    {"atan", atan_of, eighth | sign, 0, 0xbfbfd5ba9aac2f6e, INX},
    {"atan", atan_of, 0x401fffe5c91d14e4, 0, 0x3ff7249e0d9dd76a, INX},
    {"atan", atan_of, 0xc01fffe5c91d14e4, 0, 0xbff7249e0d9dd76a, INX},
    {"atan", atan_of, eight, 0, 0x3ff7249faa996a21, INX},
    {"atan", atan_of, 0x3fe0000000000000, 0, 0x3fddac670561bb4f, INX},
    {"atan", atan_of, 0xc008000000000000, 0, 0xbff3fc176b7a8560, INX},
    // Both sides of each border of the high-word ranges.
    {"atan", atan_of, below(two_m28), 0, below(two_m28), INX},
    {"atan", atan_of, two_m28, 0, two_m28, INX},
    {"atan", atan_of, below(two_m14), 0, 0x3f0fffffff555554, INX},
    {"atan", atan_of, two_m14, 0, 0x3f0fffffff555555, INX},
    {"atan", atan_of, below(two_m10), 0, 0x3f4fffff55555bbb, INX},
    {"atan", atan_of, two_m10, 0, 0x3f4fffff55555bbc, INX},
    {"atan", atan_of, below(sixty_five), 0, 0x3ff8e2f8a9cb64dd, INX},
    {"atan", atan_of, sixty_five, 0, 0x3ff8e2f8a9cb64dd, INX},
    {"atan", atan_of, below(two_19), 0, 0x3ff921f954442d18, INX},
    {"atan", atan_of, two_19, 0, 0x3ff921f954442d18, INX},
    {"atan", atan_of, below(two_55), 0, pio2, INX},
    {"atan", atan_of, two_55, 0, pio2, INX},
    // 1/|x| would be subnormal: not computed, so no underflow.
    {"atan", atan_of, max_finite, 0, pio2, INX},
    {"atan", atan_of, max_finite | sign, 0, minus_pio2, INX},
};

const edge_case atan2_cases[] = {
    // y = ±0 with x non-zero.
    {"atan2", atan2_of, plus_zero, minus_one, pi, INX},
    {"atan2", atan2_of, minus_zero, minus_one, minus_pi, INX},
    {"atan2", atan2_of, plus_zero, one, plus_zero, none},
    {"atan2", atan2_of, minus_zero, one, minus_zero, none},
    {"atan2", atan2_of, plus_zero, 0x4014000000000000, plus_zero, none},
    {"atan2", atan2_of, minus_zero, 0x4014000000000000, minus_zero, none},
    {"atan2", atan2_of, plus_zero, plus_inf, plus_zero, none},
    {"atan2", atan2_of, minus_zero, plus_inf, minus_zero, none},
    {"atan2", atan2_of, plus_zero, minus_inf, pi, INX},
    {"atan2", atan2_of, minus_zero, minus_inf, minus_pi, INX},
    // x = ±0 with y non-zero.
    {"atan2", atan2_of, one, plus_zero, pio2, INX},
    {"atan2", atan2_of, minus_one, minus_zero, minus_pio2, INX},
    {"atan2", atan2_of, plus_inf, minus_zero, pio2, INX},
    {"atan2", atan2_of, minus_inf, plus_zero, minus_pio2, INX},
    // Infinities.
    {"atan2", atan2_of, plus_inf, plus_inf, pio4, none},
    {"atan2", atan2_of, minus_inf, plus_inf, minus_pio4, none},
    {"atan2", atan2_of, plus_inf, minus_inf, three_pio4, none},
    {"atan2", atan2_of, minus_inf, minus_inf, minus_three_pio4, none},
    {"atan2", atan2_of, one, minus_inf, pi, INX},
    {"atan2", atan2_of, minus_one, minus_inf, minus_pi, INX},
    {"atan2", atan2_of, one, plus_inf, plus_zero, none},
    {"atan2", atan2_of, minus_one, plus_inf, minus_zero, none},
    {"atan2", atan2_of, plus_inf, 0xc008000000000000, pio2, INX},
    {"atan2", atan2_of, minus_inf, 0x4008000000000000, minus_pio2, INX},
    // NaNs.
    {"atan2", atan2_of, quiet_nan, one, quiet_nan, none},
    {"atan2", atan2_of, one, quiet_nan, quiet_nan, none},
    {"atan2", atan2_of, plus_zero, quiet_nan, quiet_nan, none},
    {"atan2", atan2_of, signalling_nan, one, quiet_nan, INV},
    // Exponent differences beyond ±60, and subnormal y with its true exponent.
    {"atan2", atan2_of, two_1000, two_m1000, pio2, INX},
    // Left of the axis z - PI_lo rounds to PIo2 - 2^-52, so PI - (z - PI_lo) is
    // PIo2 + 2^-52: one ulp above the rounded pi/2 (0.72 ulp from the exact angle).
    {"atan2", atan2_of, two_1000, two_m1000 | sign, 0x3ff921fb54442d19, INX},
    {"atan2", atan2_of, two_1000 | sign, two_m1000 | sign, 0xbff921fb54442d19, INX},
    {"atan2", atan2_of, two_1000 | sign, two_m1000, minus_pio2, INX},
    {"atan2", atan2_of, two_m1000, two_1000 | sign, pi, INX},
    {"atan2", atan2_of, two_m1000 | sign, two_1000 | sign, minus_pi, INX},
    {"atan2", atan2_of, two_m1000, two_1000, plus_zero, FE_UNDERFLOW | INX},
    {"atan2", atan2_of, 0x000012688b70e62b, 0x01a56e1fc2f8f359, 0x3ddb7cdfd9d7bda3, INX}, // (1e-310, 1e-300)
    // x = 1 is atan(y).
    {"atan2", atan2_of, half, one, 0x3fddac670561bb4f, INX},
    {"atan2", atan2_of, 0xc008000000000000, one, 0xbff3fc176b7a8560, INX},
    // The four quadrants.
    {"atan2", atan2_of, 0x4008000000000000, 0x4000000000000000, 0x3fef730bd281f69b, INX},
    {"atan2", atan2_of, one, minus_one, three_pio4, INX},
    {"atan2", atan2_of, 0xc000000000000000, 0xc008000000000000, 0xc0046dc09ec29433, INX},
    {"atan2", atan2_of, minus_one, 0x4014000000000000, 0xbfc94441f8f7260c, INX}, // 0.6 ulp above atan2's
    // The quotient's rounding error doubled by the binade: 1.27 ulp from the exact atan2.
    {"atan2", atan2_of, 0x3fbeeed993aeb1ed, 0x3ffee693b9872209, 0x3faffde45e617d32, INX},
};

const edge_case asin_cases[] = {
    {"asin", asin_of, one, 0, pio2, INX},
    {"asin", asin_of, minus_one, 0, minus_pio2, INX},
    {"asin", asin_of, plus_zero, 0, plus_zero, none},
    {"asin", asin_of, minus_zero, 0, minus_zero, none},
    {"asin", asin_of, min_subnormal, 0, min_subnormal, INX},
    {"asin", asin_of, two_m57, 0, two_m57, INX},
    {"asin", asin_of, two_m27, 0, two_m27, INX},
    {"asin", asin_of, half, 0, 0x3fe0c152382d7366, INX}, // pi/6
    {"asin", asin_of, minus_half, 0, 0xbfe0c152382d7366, INX},
    {"asin", asin_of, p09749, 0, 0x3ff58a53ee858df9, INX},
    {"asin", asin_of, p0975, 0, 0x3ff58c2b5ce0c3e5, INX},
    {"asin", asin_of, p0975 | sign, 0, 0xbff58c2b5ce0c3e5, INX},
    {"asin", asin_of, 0x3fd3333333333333, 0, 0x3fd380159e14f6ff, INX},
    {"asin", asin_of, quiet_nan, 0, quiet_nan, none},
    {"asin", asin_of, signalling_nan, 0, quiet_nan, INV},
};

const edge_case acos_cases[] = {
    {"acos", acos_of, one, 0, plus_zero, none},
    {"acos", acos_of, minus_one, 0, pi, INX},
    {"acos", acos_of, plus_zero, 0, pio2, INX},
    {"acos", acos_of, minus_zero, 0, pio2, INX},
    {"acos", acos_of, two_m57, 0, pio2, INX},
    {"acos", acos_of, two_m27, 0, 0x3ff921fb52442d18, INX},
    {"acos", acos_of, half, 0, 0x3ff0c152382d7366, INX},       // pi/3
    {"acos", acos_of, minus_half, 0, 0x4000c152382d7366, INX}, // 2pi/3
    {"acos", acos_of, p09749, 0, 0x3fccbd3b2df4f8f9, INX},
    {"acos", acos_of, p0975, 0, 0x3fccae7fbb1b499a, INX},
    {"acos", acos_of, p0975 | sign, 0, 0x400757135892787f, INX},
    {"acos", acos_of, 0x3fd3333333333333, 0, 0x3ff441f5ecbeef59, INX},
    {"acos", acos_of, 0xbfd3333333333333, 0, 0x3ffe0200bbc96ad8, INX},
    {"acos", acos_of, quiet_nan, 0, quiet_nan, none},
    {"acos", acos_of, signalling_nan, 0, quiet_nan, INV},
};

std::string label(const edge_case& c) {
  char text[96];
  std::snprintf(text, sizeof text, "%s(%a, %a)", c.function, from_bits(c.a), from_bits(c.b));
  return text;
}

// Bit-exact results (any NaN for a NaN), exactly the listed flags, no handler call.
template <std::size_t N>
void run_cases(const edge_case (&cases)[N]) {
  for (const edge_case& c : cases) {
    SCOPED_TRACE(label(c));
    reset_recorded_handler(42.0);
    std::feclearexcept(FE_ALL_EXCEPT);
    const double result = c.call(from_bits(c.a), from_bits(c.b));
    const unsigned flags = static_cast<unsigned>(std::fetestexcept(FE_ALL_EXCEPT));
    expect_same(c.expected, result, "result");
    EXPECT_EQ(flags, c.flags);
    EXPECT_EQ(recorded_handler.calls, 0);
  }
}

TEST(InverseTrigEdges, Atan) { run_cases(atan_cases); }
TEST(InverseTrigEdges, Atan2) { run_cases(atan2_cases); }
TEST(InverseTrigEdges, Asin) { run_cases(asin_cases); }
TEST(InverseTrigEdges, Acos) { run_cases(acos_cases); }

// Domain errors go to the handler with the arguments and code listed, and the
// function returns its result unchanged, raising nothing itself.
struct domain_case {
  const char* function;
  two_operands call;
  std::uint64_t a;
  std::uint64_t b;
  std::uint64_t handler_x;
  std::uint64_t handler_y;
  int type;
};

TEST(InverseTrigEdges, DomainErrorsCallTheHandler) {
  constexpr std::uint64_t above_one = 0x3ff0000000000001;
  const domain_case cases[] = {
      {"asin", asin_of, above_one, 0, above_one, above_one, 2},
      {"asin", asin_of, above_one | sign, 0, above_one | sign, above_one | sign, 2},
      {"asin", asin_of, plus_inf, 0, plus_inf, plus_inf, 2},
      {"asin", asin_of, minus_inf, 0, minus_inf, minus_inf, 2},
      {"acos", acos_of, above_one, 0, above_one, above_one, 1},
      {"acos", acos_of, above_one | sign, 0, above_one | sign, above_one | sign, 1},
      {"acos", acos_of, plus_inf, 0, plus_inf, plus_inf, 1},
      {"acos", acos_of, max_finite | sign, 0, max_finite | sign, max_finite | sign, 1},
      // atan2(y, x) hands the handler x first.
      {"atan2", atan2_of, plus_zero, plus_zero, plus_zero, plus_zero, 3},
      {"atan2", atan2_of, minus_zero, plus_zero, plus_zero, minus_zero, 3},
      {"atan2", atan2_of, plus_zero, minus_zero, minus_zero, plus_zero, 3},
      {"atan2", atan2_of, minus_zero, minus_zero, minus_zero, minus_zero, 3},
  };
  for (const domain_case& c : cases) {
    SCOPED_TRACE(std::string(c.function) + label({c.function, c.call, c.a, c.b, 0, 0}));
    reset_recorded_handler(-42.5);
    std::feclearexcept(FE_ALL_EXCEPT);
    const double result = c.call(from_bits(c.a), from_bits(c.b));
    EXPECT_EQ(to_bits(result), to_bits(-42.5));
    EXPECT_EQ(std::fetestexcept(FE_ALL_EXCEPT), 0);
    ASSERT_EQ(recorded_handler.calls, 1);
    EXPECT_EQ(to_bits(recorded_handler.last.x), c.handler_x);
    EXPECT_EQ(to_bits(recorded_handler.last.y), c.handler_y);
    EXPECT_EQ(recorded_handler.last.type, c.type);
  }
}

}  // namespace
