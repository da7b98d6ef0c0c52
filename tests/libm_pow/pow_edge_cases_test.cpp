// pow's special operands, exact borders and error routes: result bits,
// handler calls with their code and arguments, and exactly the flags pow
// raises itself (the recording handler raises none).
#include "function_cases.h"
#include "korvel_math.h"
#include "recording_handler.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

constexpr unsigned NONE = 0;
constexpr unsigned INEX = FE_INEXACT;
constexpr unsigned INV = FE_INVALID;
constexpr unsigned OVF = FE_OVERFLOW | FE_INEXACT;
constexpr unsigned UNF = FE_UNDERFLOW | FE_INEXACT;

// What the recording handler answers: no computed result has these bits.
constexpr double handler_answer = 42.0;

struct pow_case {
  std::uint64_t x;
  std::uint64_t y;
  std::uint64_t expected;  // unused when the handler is called
  int handler_code;        // 0: pow must not call the handler
  unsigned flags;          // exactly the flags raised
  const char* note;
};

constexpr std::uint64_t one = 0x3ff0000000000000;
constexpr std::uint64_t minus_one = 0xbff0000000000000;
constexpr std::uint64_t two = 0x4000000000000000;
constexpr std::uint64_t minus_two = 0xc000000000000000;
constexpr std::uint64_t half = 0x3fe0000000000000;
constexpr std::uint64_t ten = 0x4024000000000000;
constexpr std::uint64_t minus_ten = 0xc024000000000000;
constexpr std::uint64_t three = 0x4008000000000000;
constexpr std::uint64_t minus_three = 0xc008000000000000;
constexpr std::uint64_t unused = 0;

void run_cases(const pow_case* cases, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    const pow_case& c = cases[i];
    char label[160];
    std::snprintf(label, sizeof label, "pow(%a, %a): %s", from_bits(c.x), from_bits(c.y), c.note);
    SCOPED_TRACE(label);
    reset_recorded_handler(handler_answer);
    std::feclearexcept(FE_ALL_EXCEPT);
    const double result = __pow(from_bits(c.x), from_bits(c.y));
    const unsigned flags = static_cast<unsigned>(std::fetestexcept(FE_ALL_EXCEPT));
    std::feclearexcept(FE_ALL_EXCEPT);

    EXPECT_EQ(flags, c.flags);
    if (c.handler_code != 0) {
      ASSERT_EQ(recorded_handler.calls, 1);
      EXPECT_EQ(recorded_handler.last.type, c.handler_code);
      EXPECT_EQ(to_bits(recorded_handler.last.x), c.x);
      EXPECT_EQ(to_bits(recorded_handler.last.y), c.y);
      EXPECT_EQ(to_bits(result), to_bits(handler_answer));
      continue;
    }
    EXPECT_EQ(recorded_handler.calls, 0);
    expect_same(c.expected, result, "result");
  }
}

TEST(PowEdges, SpecialOperands) {
  const pow_case cases[] = {
      // y = ±0
      {plus_zero, plus_zero, unused, 20, NONE, "0^0"},
      {minus_zero, minus_zero, unused, 20, NONE, "-0^-0"},
      {quiet_nan, plus_zero, unused, 42, NONE, "NaN^0"},
      {0xfff8000000000000, minus_zero, unused, 42, NONE, "-NaN^-0"},
      {0x401c000000000000, plus_zero, one, 0, NONE, "7^0"},
      {plus_inf, minus_zero, one, 0, NONE, "inf^-0"},
      // NaNs
      {two, quiet_nan, quiet_nan, 0, NONE, "x^NaN"},
      {quiet_nan, two, quiet_nan, 0, NONE, "NaN^2"},
      {one, quiet_nan, quiet_nan, 0, NONE, "1^NaN is NaN here"},
      {two, signalling_nan, quiet_nan, 0, INV, "x^sNaN"},
      // y = ±inf, before the rules for x = ±0
      {one, plus_inf, quiet_nan, 0, INV, "1^inf"},
      {minus_one, minus_inf, quiet_nan, 0, INV, "-1^-inf"},
      {half, plus_inf, plus_zero, 0, NONE, "0.5^inf"},
      {half, minus_inf, plus_inf, 0, NONE, "0.5^-inf"},
      {two, minus_inf, plus_zero, 0, NONE, "2^-inf"},
      {minus_two, plus_inf, plus_inf, 0, NONE, "-2^inf"},
      {0x3ff0000000000001, plus_inf, plus_inf, 0, NONE, "just above 1 counts as |x| > 1"},
      {plus_zero, minus_inf, plus_inf, 0, NONE, "0^-inf: no handler"},
      {minus_zero, plus_inf, plus_zero, 0, NONE, "-0^inf"},
      // y = 1, -1, 2, 0.5
      {0xc01c000000000000, one, 0xc01c000000000000, 0, NONE, "-7^1"},
      {plus_inf, minus_one, plus_zero, 0, NONE, "inf^-1"},
      {0x4010000000000000, minus_one, 0x3fd0000000000000, 0, NONE, "4^-1"},
      {min_subnormal, minus_one, plus_inf, 0, OVF, "1/x overflows without the handler"},
      {plus_zero, minus_one, unused, 23, NONE, "0^-1"},
      {minus_zero, minus_one, unused, 23, NONE, "-0^-1"},
      {0x000012688b70e62b, two, plus_zero, 0, UNF, "1e-310^2: x*x, no handler"},
      {minus_three, two, 0x4022000000000000, 0, NONE, "-3^2"},
      {two, half, 0x3ff6a09e667f3bcd, 0, INEX, "2^0.5 by the square root"},
      {0x4022000000000000, half, three, 0, NONE, "9^0.5"},
      {minus_zero, half, plus_zero, 0, NONE, "-0^0.5"},
      {plus_inf, half, plus_inf, 0, NONE, "inf^0.5"},
      {minus_one, half, unused, 24, INV, "-1^0.5"},
      // x = ±0, ±1, ±inf
      {plus_zero, 0xc000000000000000, unused, 23, NONE, "0^-2"},
      {minus_zero, minus_three, unused, 23, NONE, "-0^-3"},
      {minus_zero, 0xbfe0000000000000, unused, 23, NONE, "-0^-0.5"},
      {minus_zero, three, minus_zero, 0, NONE, "-0^3"},
      {minus_zero, 0x3ff8000000000000, plus_zero, 0, NONE, "-0^1.5"},
      {one, 0x7e37e43c8800759c, one, 0, NONE, "1^1e300"},
      {one, 0xc00c000000000000, one, 0, NONE, "1^-3.5"},
      {one, min_subnormal, one, 0, NONE, "1^5e-324"},
      {minus_one, three, minus_one, 0, NONE, "-1^3"},
      {minus_one, 0x4330000000000000, one, 0, NONE, "-1^2^52"},
      {minus_one, 0x3ff8000000000000, unused, 24, INV, "-1^1.5"},
      {minus_inf, three, minus_inf, 0, NONE, "-inf^3"},
      {minus_inf, two, plus_inf, 0, NONE, "-inf^2"},
      {minus_inf, minus_three, minus_zero, 0, NONE, "-inf^-3"},
      {minus_inf, 0x3ff8000000000000, plus_inf, 0, NONE, "-inf^1.5: no error"},
      {minus_inf, 0xc004000000000000, plus_zero, 0, NONE, "-inf^-2.5"},
      // negative x, y not an integer
      {0xc020000000000000, 0x3fd5555555555555, unused, 24, INV, "-8^(1/3)"},
      {minus_ten, 0x4079180000000000, unused, 24, INV, "-10^401.5"},
      {minus_two, 0x3fe0000000000001, unused, 24, INV, "-2^(0.5 + ulp)"},
  };
  run_cases(cases, std::size(cases));
}

TEST(PowEdges, GeneralPath) {
  const pow_case cases[] = {
      // Every general-path result raises inexact, exact ones included.
      {two, 0x4024000000000000, 0x4090000000000000, 0, INEX, "2^10"},
      {ten, 0xc000000000000000, 0x3f847ae147ae147b, 0, INEX, "10^-2"},
      {0x4004000000000000, 0x400c000000000000, 0x4038b48e29793d2f, 0, INEX, "2.5^3.5"},
      {0x3ff199999999999a, 0x4059000000000000, 0x40caea4e6126bb95, 0, INEX, "1.1^100"},
      {0x3feccccccccccccd, 0xc059000000000000, 0x40e26213d2e94139, 0, INEX, "0.9^-100"},
      {minus_two, three, 0xc020000000000000, 0, INEX, "-2^3"},
      {minus_two, 0x4010000000000000, 0x4030000000000000, 0, INEX, "-2^4"},
      {minus_two, 0xc090c40000000000, 0x8000000000000002, 0, INEX, "-2^-1073: odd, subnormal, exact"},
      {two, 0x408ff80000000000, 0x7fe0000000000000, 0, INEX, "2^1023"},
      {ten, 0x4073400000000000, 0x7fe1ccf385ebc8a0, 0, INEX, "10^308"},
      {half, 0x4090c80000000000, min_subnormal, 0, INEX, "0.5^1074"},
      {two, 0xc08ff00000000000, 0x0010000000000000, 0, INEX, "2^-1022: exponent set directly"},
      {two, 0xc08fec0000000000, 0x0016a09e667f3bcd, 0, INEX, "2^-1021.5: exponent set directly"},
      {two, 0xc090ca0000000000, min_subnormal, 0, UNF, "2^-1074.5: one rounding into the subnormals"},
      // The split of a tiny y into single precision underflows, as intended.
      {three, 0x000012688b70e62b, one, 0, UNF, "3^1e-310"},
  };
  run_cases(cases, std::size(cases));
}

TEST(PowEdges, OverflowAndUnderflowBorders) {
  const pow_case cases[] = {
      {two, 0x4090000000000000, unused, 21, OVF, "2^1024: z = 1024 with a zero tail"},
      {ten, 0x4073500000000000, unused, 21, OVF, "10^309"},
      {0x3ff000001ad7f29b, 0x4202a05f20000000, unused, 21, OVF, "1.0000001^1e10"},
      {minus_ten, 0x4079000000000000, unused, 21, OVF, "-10^400"},
      {minus_ten, 0x4079100000000000, unused, 21, OVF, "-10^401"},
      {half, 0x4090cc0000000000, unused, 22, UNF, "0.5^1075: z = -1075 with a zero tail"},
      {two, 0xc090cc0000000000, unused, 22, UNF, "2^-1075"},
      {minus_ten, 0xc079100000000000, unused, 22, UNF, "-10^-401"},
      // z rounds to 1024 with a negative tail: finite, just below 2^1024 (MPFR).
      {0x4003cfabb3128ac0, 0x408875d283b111a5, 0x7fefffffffffffa8, 0, INEX, "y log2 x = 1024 - 1.4e-14"},
      {0x3ff964586bbaa718, 0x4098035ffcda6af9, 0x7fefffffffffff5a, 0, INEX, "y log2 x = 1024 - 2.7e-14"},
      // z rounds to -1075 with a positive tail: the smallest subnormal.
      {0x3ff8e65f924201ea, 0xc09a53188324a9bf, min_subnormal, 0, UNF, "y log2 x = -1075 + 4.7e-14"},
      {0x40013428d7a093ff, 0xc08e6943a21f406f, min_subnormal, 0, UNF, "y log2 x = -1075 + 7.1e-15"},
  };
  run_cases(cases, std::size(cases));
}

// z = 1024 exactly with a tail too small to change it: r = 1 and the scaling
// by 2^1024 would give an unreported infinity. The true values lie above the
// overflow border 2^1024 (1 - 2^-54), so they take the overflow route.
TEST(PowEdges, RoundedUpToTwoTo1024IsAnOverflow) {
  const pow_case cases[] = {
      {0x4025f42e4b815813, 0x40728430e2b41cf8, unused, 21, OVF, "x = 0x1.5f42e4b815813p+3"},
      {0xc3b2d597c58eeee5, 0x4031000000000000, unused, 21, OVF, "x = -0x1.2d597c58eeee5p+60, y = 17"},
  };
  run_cases(cases, std::size(cases));
}

// |y| so large that y times the head of log2|x| overflows on the way: the
// result still raises exactly what its own route raises, no overflow on an
// underflow and no underflow on an overflow.
TEST(PowEdges, HugeYRaisesOnlyWhatItsRouteRaises) {
  const pow_case cases[] = {
      {0x3fd0000000000000, max_finite, unused, 22, UNF, "0.25^DBL_MAX"},
      {0x4010000000000000, max_finite | minus_zero, unused, 22, UNF, "4^-DBL_MAX"},
      {0x0010000000000000, max_finite, unused, 22, UNF, "2^-1022^DBL_MAX"},
      {min_subnormal, max_finite, unused, 22, UNF, "2^-1074^DBL_MAX"},
      {0x3fd0000000000000, 0x7fe0000000000000, unused, 22, UNF, "0.25^2^1023: zero low word"},
      {0xbfd0000000000000, max_finite, unused, 22, UNF, "-0.25^DBL_MAX: even"},
      {max_finite, max_finite | minus_zero, unused, 22, UNF, "DBL_MAX^-DBL_MAX"},
      {0x3ff0000000000001, max_finite | minus_zero, unused, 22, UNF, "(1 + 2^-52)^-DBL_MAX: no overflow on the way"},
      {0x3fd0000000000000, 0x47e0000000000000, unused, 22, UNF, "0.25^2^127"},
      // The mirror: overflows raise no underflow.
      {0x4010000000000000, max_finite, unused, 21, OVF, "4^DBL_MAX"},
      {0x3fd0000000000000, max_finite | minus_zero, unused, 21, OVF, "0.25^-DBL_MAX"},
      {0x0010000000000000, max_finite | minus_zero, unused, 21, OVF, "2^-1022^-DBL_MAX"},
      {0xc010000000000000, 0x7fe0000000000000, unused, 21, OVF, "-4^2^1023: even"},
      {max_finite, max_finite, unused, 21, OVF, "DBL_MAX^DBL_MAX"},
      {0x3fefffffffffffff, max_finite | minus_zero, unused, 21, OVF, "(1 - 2^-53)^-DBL_MAX"},
  };
  run_cases(cases, std::size(cases));
}

}  // namespace
