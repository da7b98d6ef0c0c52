// sin, cos and tan have no error type code: in every mode an infinite or NaN
// argument gives a NaN by arithmetic, raises invalid for infinities only, and
// neither errno nor the handler is touched.
#include <gtest/gtest.h>

#include <cerrno>
#include <cfenv>
#include <cstdint>

#include "handler_cases.h"
#include "korvel_math.h"
#include "libm_bits.h"

namespace {

struct trig_error_case {
  const char* name;
  double (*function)(double) noexcept;
  std::uint64_t x;
  bool raises_invalid;
};

const trig_error_case trig_error_cases[] = {
    {"sin", __sin, bits_inf, true},        {"sin", __sin, bits_neg_inf, true},
    {"sin", __sin, bits_quiet_nan, false}, {"cos", __cos, bits_inf, true},
    {"cos", __cos, bits_neg_inf, true},    {"cos", __cos, bits_quiet_nan, false},
    {"tan", __tan, bits_inf, true},        {"tan", __tan, bits_neg_inf, true},
    {"tan", __tan, bits_quiet_nan, false},
};

TEST(TrigErrors, NoHandlerAndNoErrnoInThisMode) {
  for (const trig_error_case& c : trig_error_cases) {
    errno = -7;
    std::feclearexcept(FE_ALL_EXCEPT);
    const double result = c.function(double_from_bits(c.x));
    const int flags = std::fetestexcept(FE_ALL_EXCEPT);
    EXPECT_NE(result, result) << c.name << " of " << std::hex << c.x;
    EXPECT_EQ(flags, c.raises_invalid ? FE_INVALID : 0) << c.name << " of " << std::hex << c.x;
    EXPECT_EQ(errno, -7) << c.name << " in mode " << _lib_version;
  }
}

}  // namespace
