// Domain errors of sqrt, fmod and remainder reach the error handler with the
// exact arguments and type code, and its result comes back unchanged; no
// other operand reaches it. The handler here is the recording stand-in.
#include "function_cases.h"
#include "korvel_math.h"
#include "recording_handler.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

// A result no function computes on its own, to prove it is passed through.
constexpr std::uint64_t handler_answer = 0x4045400000000000; // 42.5

struct routed_case {
  const char* function;
  std::uint64_t x;
  std::uint64_t y;
  std::uint64_t handler_x; // arguments the handler must receive
  std::uint64_t handler_y;
  int type;
};

double call(const char* function, double x, double y) {
  const std::string name = function;
  if (name == "sqrt")
    return __sqrt(x);
  if (name == "fmod")
    return __fmod(x, y);
  return __remainder(x, y);
}

std::string label(const char* function, std::uint64_t x, std::uint64_t y) {
  char text[96];
  std::snprintf(text, sizeof text, "%s(0x%016llx, 0x%016llx)", function, static_cast<unsigned long long>(x),
                static_cast<unsigned long long>(y));
  return text;
}

TEST(DomainErrorRouting, ReachesTheHandlerWithExactArguments) {
  const routed_case cases[] = {
      {"sqrt", 0xbff0000000000000, 0, 0xbff0000000000000, 0xbff0000000000000, 26},  // sqrt(-1)
      {"sqrt", minus_inf, 0, minus_inf, minus_inf, 26},
      {"sqrt", min_subnormal | minus_zero, 0, min_subnormal | minus_zero, min_subnormal | minus_zero, 26},
      {"fmod", 0x3ff0000000000000, plus_zero, 0x3ff0000000000000, plus_zero, 27},
      {"fmod", 0xc014000000000000, minus_zero, 0xc014000000000000, minus_zero, 27},
      {"fmod", plus_inf, plus_zero, plus_inf, plus_zero, 27},
      {"fmod", minus_inf, minus_zero, minus_inf, minus_zero, 27},
      {"fmod", quiet_nan, plus_zero, quiet_nan, plus_zero, 27},
      {"fmod", signalling_nan, minus_zero, signalling_nan, minus_zero, 27},
      {"fmod", minus_zero, plus_zero, minus_zero, plus_zero, 27},
      {"remainder", 0xc008000000000000, minus_zero, 0x4008000000000000, plus_zero, 28},  // (-3, -0) -> (3, +0)
      {"remainder", 0x4008000000000000, plus_zero, 0x4008000000000000, plus_zero, 28},
      {"remainder", minus_inf, plus_zero, plus_inf, plus_zero, 28},
      {"remainder", 0xfff8000000000000, minus_zero, quiet_nan, plus_zero, 28},
      {"remainder", minus_zero, minus_zero, plus_zero, plus_zero, 28},
  };
  for (const routed_case& c : cases) {
    reset_recorded_handler(from_bits(handler_answer));
    const double result = call(c.function, from_bits(c.x), from_bits(c.y));
    const std::string what = label(c.function, c.x, c.y);
    EXPECT_EQ(recorded_handler.calls, 1) << what;
    EXPECT_EQ(to_bits(recorded_handler.last.x), c.handler_x) << what;
    EXPECT_EQ(to_bits(recorded_handler.last.y), c.handler_y) << what;
    EXPECT_EQ(recorded_handler.last.type, c.type) << what;
    EXPECT_EQ(to_bits(result), handler_answer) << what;
  }
}

TEST(DomainErrorRouting, HandlerResultIsReturnedEvenWhenItIsANaN) {
  reset_recorded_handler(from_bits(0x7ff4000000000123));
  EXPECT_EQ(to_bits(__fmod(1.0, 0.0)), 0x7ff4000000000123u);
  EXPECT_EQ(to_bits(__remainder(1.0, 0.0)), 0x7ff4000000000123u);
  EXPECT_EQ(to_bits(__sqrt(-2.0)), 0x7ff4000000000123u);
}

TEST(DomainErrorRouting, FmodAndRemainderRaiseNothingBeforeTheHandler) {
  // The handler alone decides the flag (none for a quiet NaN x).
  reset_recorded_handler(0);
  std::feclearexcept(FE_ALL_EXCEPT);
  __fmod(5.0, 0.0);
  __fmod(from_bits(plus_inf), 0.0);
  __remainder(from_bits(quiet_nan), 0.0);
  __remainder(from_bits(minus_inf), 0.0);
  EXPECT_EQ(std::fetestexcept(FE_ALL_EXCEPT), 0);
  EXPECT_EQ(recorded_handler.calls, 4);
}

TEST(DomainErrorRouting, OtherSpecialOperandsNeverReachTheHandler) {
  const routed_case cases[] = {
      {"sqrt", minus_zero, 0, 0, 0, 0},
      {"sqrt", plus_zero, 0, 0, 0, 0},
      {"sqrt", quiet_nan, 0, 0, 0, 0},
      {"sqrt", 0xfff8000000000000, 0, 0, 0, 0},  // NaN with the sign bit set
      {"sqrt", signalling_nan | minus_zero, 0, 0, 0, 0},
      {"sqrt", plus_inf, 0, 0, 0, 0},
      {"fmod", plus_inf, 0x4000000000000000, 0, 0, 0},
      {"fmod", quiet_nan, 0x4000000000000000, 0, 0, 0},
      {"fmod", 0x4000000000000000, quiet_nan, 0, 0, 0},
      {"fmod", 0x4000000000000000, plus_inf, 0, 0, 0},
      {"fmod", plus_inf, plus_inf, 0, 0, 0},
      {"fmod", plus_zero, min_subnormal, 0, 0, 0},
      {"remainder", plus_inf, 0x3ff0000000000000, 0, 0, 0},
      {"remainder", 0x3ff0000000000000, quiet_nan, 0, 0, 0},
      {"remainder", quiet_nan, quiet_nan, 0, 0, 0},
      {"remainder", 0x3ff0000000000000, minus_inf, 0, 0, 0},
      {"remainder", minus_zero, min_subnormal, 0, 0, 0},
  };
  for (const routed_case& c : cases) {
    reset_recorded_handler(from_bits(handler_answer));
    const double result = call(c.function, from_bits(c.x), from_bits(c.y));
    const std::string what = label(c.function, c.x, c.y);
    EXPECT_EQ(recorded_handler.calls, 0) << what;
    EXPECT_NE(to_bits(result), handler_answer) << what;
  }
}

TEST(DomainErrorRouting, RoundingFunctionsNeverReachTheHandler) {
  const std::uint64_t operands[] = {minus_inf, plus_inf, quiet_nan, signalling_nan, minus_zero, 0xbff8000000000000};
  for (const std::uint64_t x : operands) {
    reset_recorded_handler(0);
    __ceil(from_bits(x));
    __floor(from_bits(x));
    __rint(from_bits(x));
    EXPECT_EQ(recorded_handler.calls, 0) << x;
  }
}

} // namespace
