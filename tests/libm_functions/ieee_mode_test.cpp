// In IEEE mode sqrt never reports; fmod and remainder still do, their
// domain errors do not depend on the mode.
#include "function_cases.h"
#include "korvel_math.h"
#include "recording_handler.h"

#include <gtest/gtest.h>

// This program's error-handling mode: IEEE, in place of the archive's.
extern "C" {
extern const int _lib_version;
const int _lib_version = -1;
}

namespace {

TEST(IeeeMode, SqrtOfNegativeNumbersIsNaNWithoutTheHandler) {
  const std::uint64_t operands[] = {0xbff0000000000000, minus_inf, min_subnormal | minus_zero, 0xffefffffffffffff};
  for (const std::uint64_t x : operands) {
    reset_recorded_handler(42.5);
    std::feclearexcept(FE_ALL_EXCEPT);
    const double result = __sqrt(from_bits(x));
    EXPECT_TRUE(is_nan_bits(to_bits(result))) << x;
    EXPECT_NE(std::fetestexcept(FE_INVALID), 0) << x;
    EXPECT_EQ(recorded_handler.calls, 0) << x;
  }
  EXPECT_EQ(to_bits(__sqrt(from_bits(minus_zero))), minus_zero);
}

TEST(IeeeMode, ZeroDivisorsStillReachTheHandler) {
  reset_recorded_handler(42.5);
  EXPECT_EQ(__fmod(1.0, 0.0), 42.5);
  EXPECT_EQ(recorded_handler.last.type, 27);
  EXPECT_EQ(__remainder(-1.0, -0.0), 42.5);
  EXPECT_EQ(recorded_handler.last.type, 28);
  EXPECT_EQ(recorded_handler.calls, 2);
}

} // namespace
