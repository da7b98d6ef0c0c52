// The special operands of the exact functions, with the sign of zero results,
// infinities, NaNs and the exception flags they raise.
#include "function_cases.h"
#include "korvel_math.h"
#include "recording_handler.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

struct unary_case {
  std::uint64_t x;
  std::uint64_t expected;
  int mode;
  bool raises_invalid;
};

std::string label(const char* function, std::uint64_t x, int mode) {
  char text[96];
  std::snprintf(text, sizeof text, "%s(0x%016llx) in mode %d", function, static_cast<unsigned long long>(x), mode);
  return text;
}

void run_unary(const char* name, double (*function)(double), const unary_case* cases, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    const unary_case& c = cases[i];
    reset_recorded_handler(0);
    std::feclearexcept(FE_ALL_EXCEPT);
    double result;
    {
      rounding_scope scope(c.mode);
      result = function(from_bits(c.x));
    }
    const bool invalid = std::fetestexcept(FE_INVALID) != 0;
    const std::string what = label(name, c.x, c.mode);
    expect_same(c.expected, result, what);
    EXPECT_EQ(invalid, c.raises_invalid) << what;
    EXPECT_EQ(recorded_handler.calls, 0) << what;
  }
}

constexpr int N = FE_TONEAREST;
constexpr int U = FE_UPWARD;
constexpr int D = FE_DOWNWARD;
constexpr int Z = FE_TOWARDZERO;

TEST(SqrtEdges, SpecialOperands) {
  const unary_case cases[] = {
      {minus_zero, minus_zero, N, false},
      {plus_zero, plus_zero, N, false},
      {plus_inf, plus_inf, N, false},
      {quiet_nan, quiet_nan, N, false},
      {0xfff8000000000000, quiet_nan, N, false}, // negative NaN: no domain error
      {signalling_nan, quiet_nan, N, true},
      {0x4010000000000000, 0x4000000000000000, N, false},  // sqrt(4) = 2
      {0x4000000000000000, 0x3ff6a09e667f3bcd, N, false},  // sqrt(2), nearest
      {0x4000000000000000, 0x3ff6a09e667f3bcc, D, false},  // sqrt(2), downward
      {0x4000000000000000, 0x3ff6a09e667f3bcd, U, false},  // sqrt(2), upward
      {min_subnormal, 0x1e60000000000000, N, false},       // 2^-537
      {max_finite, 0x5fefffffffffffff, N, false},
  };
  run_unary("sqrt", __sqrt, cases, std::size(cases));
}

TEST(SqrtEdges, InvalidIsRaisedBeforeTheHandlerIsCalled) {
  reset_recorded_handler(0);
  std::feclearexcept(FE_ALL_EXCEPT);
  __sqrt(-1.0);
  EXPECT_NE(std::fetestexcept(FE_INVALID), 0);
  EXPECT_EQ(recorded_handler.calls, 1);
}

TEST(CeilEdges, ResultsAreTheSameInEveryMode) {
  for (const rounding_mode& m : all_rounding_modes) {
    const int o = m.mode;
    const unary_case cases[] = {
        {0xbfe0000000000000, minus_zero, o, false},          // ceil(-0.5) = -0
        {0x3fd3333333333333, 0x3ff0000000000000, o, false},  // ceil(0.3) = 1
        {0xbffb333333333333, 0xbff0000000000000, o, false},  // ceil(-1.7) = -1
        {0x3fe0000000000000, 0x3ff0000000000000, o, false},  // ceil(0.5) = 1
        {min_subnormal, 0x3ff0000000000000, o, false},
        {min_subnormal | minus_zero, minus_zero, o, false},
        {plus_zero, plus_zero, o, false},
        {minus_zero, minus_zero, o, false},
        {0xbff0000000000000, 0xbff0000000000000, o, false},  // ceil(-1) = -1
        {0x432fffffffffffff, 0x4330000000000000, o, false},  // 2^52 - 0.5
        {0x4330000000000001, 0x4330000000000001, o, false},  // 2^52 + 1
        {0xc330000000000001, 0xc330000000000001, o, false},
        {plus_inf, plus_inf, o, false},
        {minus_inf, minus_inf, o, false},
        {quiet_nan, quiet_nan, o, false},
        {signalling_nan, quiet_nan, o, true},
    };
    run_unary("ceil", __ceil, cases, std::size(cases));
  }
}

TEST(FloorEdges, ResultsAreTheSameInEveryMode) {
  for (const rounding_mode& m : all_rounding_modes) {
    const int o = m.mode;
    const unary_case cases[] = {
        {0xbfd3333333333333, 0xbff0000000000000, o, false},  // floor(-0.3) = -1
        {0x3fe0000000000000, plus_zero, o, false},           // floor(0.5) = +0
        {minus_zero, minus_zero, o, false},
        {plus_zero, plus_zero, o, false},
        {min_subnormal, plus_zero, o, false},
        {min_subnormal | minus_zero, 0xbff0000000000000, o, false},
        {0xc004000000000000, 0xc008000000000000, o, false},  // floor(-2.5) = -3
        {0x3ff0000000000000, 0x3ff0000000000000, o, false},
        {0xc32fffffffffffff, 0xc330000000000000, o, false},  // -(2^52 - 0.5)
        {0x4330000000000001, 0x4330000000000001, o, false},
        {plus_inf, plus_inf, o, false},
        {minus_inf, minus_inf, o, false},
        {quiet_nan, quiet_nan, o, false},
        {signalling_nan, quiet_nan, o, true},
    };
    run_unary("floor", __floor, cases, std::size(cases));
  }
}

TEST(RintEdges, FollowsTheRoundingMode) {
  const unary_case cases[] = {
      {0x3fe0000000000000, plus_zero, N, false},           // rint(0.5) = +0
      {0x3ff8000000000000, 0x4000000000000000, N, false},  // rint(1.5) = 2
      {0x4004000000000000, 0x4000000000000000, N, false},  // rint(2.5) = 2
      {0xbfe0000000000000, minus_zero, N, false},          // rint(-0.5) = -0
      {0xbff8000000000000, 0xc000000000000000, N, false},  // rint(-1.5) = -2
      {0x432fffffffffffff, 0x4330000000000000, N, false},  // 2^52 - 0.5: tie to even
      {0x432ffffffffffffd, 0x432ffffffffffffc, N, false},  // 2^52 - 1.5: tie to even
      {0x3fc999999999999a, 0x3ff0000000000000, U, false},  // rint(0.2) upward = 1
      {0xbfc999999999999a, minus_zero, U, false},          // rint(-0.2) upward = -0
      {0x3fc999999999999a, plus_zero, D, false},           // rint(0.2) downward = +0
      {0xbfc999999999999a, 0xbff0000000000000, D, false},  // rint(-0.2) downward = -1
      {0x3ffb333333333333, 0x3ff0000000000000, Z, false},  // rint(1.7) toward zero = 1
      {0xbffb333333333333, 0xbff0000000000000, Z, false},
      {0xbfe6666666666666, minus_zero, Z, false},          // rint(-0.7) toward zero = -0
      {plus_zero, plus_zero, D, false},
      {minus_zero, minus_zero, U, false},
      {min_subnormal, 0x3ff0000000000000, U, false},
      {0x4330000000000001, 0x4330000000000001, U, false},
      {plus_inf, plus_inf, N, false},
      {minus_inf, minus_inf, D, false},
      {quiet_nan, quiet_nan, N, false},
      {signalling_nan, quiet_nan, N, true},
  };
  run_unary("rint", __rint, cases, std::size(cases));
}

struct binary_case {
  std::uint64_t x;
  std::uint64_t y;
  std::uint64_t expected;
  bool raises_invalid;
};

void run_binary(const char* name, double (*function)(double, double), const binary_case* cases, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    const binary_case& c = cases[i];
    reset_recorded_handler(0);
    std::feclearexcept(FE_ALL_EXCEPT);
    const double result = function(from_bits(c.x), from_bits(c.y));
    const bool invalid = std::fetestexcept(FE_INVALID) != 0;
    char what[128];
    std::snprintf(what, sizeof what, "%s(0x%016llx, 0x%016llx)", name, static_cast<unsigned long long>(c.x),
                  static_cast<unsigned long long>(c.y));
    expect_same(c.expected, result, what);
    EXPECT_EQ(invalid, c.raises_invalid) << what;
    EXPECT_EQ(recorded_handler.calls, 0) << what;
  }
}

TEST(FmodEdges, SpecialAndExactResults) {
  const binary_case cases[] = {
      {0x4016000000000000, 0x4000000000000000, 0x3ff8000000000000, false},  // fmod(5.5, 2) = 1.5
      {0xc016000000000000, 0x4000000000000000, 0xbff8000000000000, false},  // fmod(-5.5, 2) = -1.5
      {0x4018000000000000, 0x4008000000000000, plus_zero, false},           // fmod(6, 3) = +0
      {0xc018000000000000, 0x4008000000000000, minus_zero, false},          // fmod(-6, 3) = -0
      {0xc018000000000000, 0xc008000000000000, minus_zero, false},          // the sign of y does not count
      {0x4008000000000000, 0x4008000000000000, plus_zero, false},           // fmod(3, 3) = +0
      {minus_zero, 0x3ff0000000000000, minus_zero, false},
      {0x4016000000000000, plus_inf, 0x4016000000000000, false},            // fmod(x, +inf) = x
      {0xc016000000000000, minus_inf, 0xc016000000000000, false},           // fmod(x, -inf) = x
      {plus_inf, 0x4000000000000000, quiet_nan, true},                      // fmod(inf, 2): NaN, invalid
      {minus_inf, plus_inf, quiet_nan, true},
      {quiet_nan, 0x4000000000000000, quiet_nan, false},                    // quiet NaN: no flag
      {0x4000000000000000, quiet_nan, quiet_nan, false},
      {signalling_nan, 0x4000000000000000, quiet_nan, true},
      {0x4000000000000000, signalling_nan, quiet_nan, true},
      {0x3ff0000000000000, 0x0000000000000003, 0x0000000000000001, false},  // subnormal y
      {max_finite, 0x0000000000000003, 0x0000000000000002, false},
      {max_finite, 0x000fffffffffffff, 0x0000000000020000, false},
      {0x8010000000000003, 0x0000000000000007, 0x8000000000000005, false},
      {0x402c000000000000, 0x000ffffffffffffd, 0x000607b800088632, false},
      {0x037a000000000000, 0x0360000000000000, 0x0340000000000000, false},  // y at the scaling bound
      {0x7e37e43c8800759c, 0x0360000000000001, 0x03432bf21e44003c, false},
      {max_finite, 0x3ff0000000000000, plus_zero, false},
      {0x0000000000000005, 0x0000000000000003, 0x0000000000000002, false},  // both subnormal
      {0x0000000000000002, 0x0000000000000003, 0x0000000000000002, false},  // |x| < |y|
  };
  run_binary("fmod", __fmod, cases, std::size(cases));
}

TEST(RemainderEdges, RoundsTheQuotientToNearestEven) {
  const binary_case cases[] = {
      {0x4014000000000000, 0x4000000000000000, 0x3ff0000000000000, false},  // remainder(5, 2) = 1
      {0x401c000000000000, 0x4000000000000000, 0xbff0000000000000, false},  // remainder(7, 2) = -1
      {0x4008000000000000, 0x4000000000000000, 0xbff0000000000000, false},  // remainder(3, 2) = -1
      {0x3ff0000000000000, 0x4000000000000000, 0x3ff0000000000000, false},  // remainder(1, 2) = 1
      {0xc01c000000000000, 0x4000000000000000, 0x3ff0000000000000, false},  // remainder(-7, 2) = 1
      {0x4018000000000000, 0x4008000000000000, plus_zero, false},           // remainder(6, 3) = +0
      {0xc018000000000000, 0x4008000000000000, minus_zero, false},          // remainder(-6, 3) = -0
      {0x4008000000000000, 0x4008000000000000, plus_zero, false},           // remainder(3, 3) = +0
      {0xc008000000000000, 0xc008000000000000, minus_zero, false},
      {0x4014000000000000, plus_inf, 0x4014000000000000, false},            // remainder(x, inf) = x
      {0xc014000000000000, minus_inf, 0xc014000000000000, false},
      {plus_inf, 0x3ff0000000000000, quiet_nan, true},                      // remainder(inf, 1): NaN
      {minus_inf, 0x3ff0000000000000, quiet_nan, true},
      {quiet_nan, 0x3ff0000000000000, quiet_nan, false},
      {0x3ff0000000000000, quiet_nan, quiet_nan, false},
      {signalling_nan, 0x3ff0000000000000, quiet_nan, true},
      {0x0000000000000003, 0x0000000000000002, 0x8000000000000001, false},  // tiny y, tie 1.5 -> 2
      {0x0000000000000001, 0x0000000000000002, 0x0000000000000001, false},  // tiny y, tie 0.5 -> 0
      {0x0000000000000005, 0x0000000000000002, 0x0000000000000001, false},  // tiny y, tie 2.5 -> 2
      {0x8000000000000005, 0x0000000000000002, 0x8000000000000001, false},
      {0x7fe8000000000000, 0x7fe0000000000000, 0xffd0000000000000, false},  // huge y, tie 1.5 -> 2
      {max_finite, max_finite, plus_zero, false},
      {0x7fe0000000000000, 0x7fd8000000000000, 0x7fc0000000000000, false},  // 2^1023 vs 1.5 * 2^1022
      {0x3ff8000000000000, 0x3ff0000000000000, 0xbfe0000000000000, false},  // remainder(1.5, 1) = -0.5
      {0x3fe0000000000000, 0x3ff0000000000000, 0x3fe0000000000000, false},  // remainder(0.5, 1) = 0.5
      {0x4004000000000000, 0x3ff0000000000000, 0x3fe0000000000000, false},  // remainder(2.5, 1) = 0.5
  };
  run_binary("remainder", __remainder, cases, std::size(cases));
}

} // namespace
