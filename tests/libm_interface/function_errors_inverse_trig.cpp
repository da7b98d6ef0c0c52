// Domain errors of asin, acos and atan2 through the real handler in this
// program's mode: value, errno, flags and SVID message as the handler's rows
// for codes 1, 2 and 3 give them. In IEEE mode asin and acos answer with
// (x - x)/(x - x) and never reach the handler; a NaN never reaches it in any mode.
#include <gtest/gtest.h>

#include <cfenv>

#include "handler_cases.h"
#include "observed_call.h"
#include "korvel_math.h"
#include "libm_bits.h"

namespace {

double asin_of(double x, double) { return __asin(x); }
double acos_of(double x, double) { return __acos(x); }
double atan2_of(double y, double x) { return __atan2(y, x); }

// The handler's row for `code`: value per mode, errno, flags and message.
const handler_case* row_for(int code) {
  for (int i = 0; i < handler_case_count; ++i)
    if (handler_cases[i].code == code) return &handler_cases[i];
  return nullptr;
}

struct inverse_trig_error {
  const char* call;
  double (*function)(double, double);
  double a, b;             // the call's arguments (atan2: y, x)
  int code;                // 0: never reaches the handler
  bool handled_in_ieee_mode;
  std::uint64_t ieee_result;  // the handler's IEEE result when it is reached in IEEE mode
};

TEST(FunctionErrors, DomainErrorsOfTheInverseTrigFunctions) {
  const double inf = double_from_bits(bits_inf);
  const double above_one = double_from_bits(0x3FF0000000000001);  // 1.0000000000000002
  const double quiet_nan = double_from_bits(bits_quiet_nan);
  const inverse_trig_error cases[] = {
      {"acos(1.0000000000000002)", acos_of, above_one, above_one, 1, false, 0},
      {"acos(-inf)", acos_of, -inf, -inf, 1, false, 0},
      {"asin(+inf)", asin_of, inf, inf, 2, false, 0},
      {"asin(-1.0000000000000002)", asin_of, -above_one, -above_one, 2, false, 0},
      {"acos(NaN)", acos_of, quiet_nan, quiet_nan, 0, false, 0},
      {"asin(NaN)", asin_of, quiet_nan, quiet_nan, 0, false, 0},
      // atan2(y, x) hands the handler (x, y): in IEEE mode a negative x gives
      // pi rounded toward zero signed like y, a positive x gives y itself.
      {"atan2(+0, +0)", atan2_of, 0.0, 0.0, 3, true, bits_zero},
      {"atan2(+0, -0)", atan2_of, 0.0, -0.0, 3, true, bits_pi_rz},
      {"atan2(-0, -0)", atan2_of, -0.0, -0.0, 3, true, bits_neg_pi_rz},
      {"atan2(-0, +0)", atan2_of, -0.0, 0.0, 3, true, bits_neg_zero},
  };
  const int mode = _lib_version + 1;
  for (const inverse_trig_error& c : cases) {
    SCOPED_TRACE(c.call);
    const handler_case* row = c.code == 0 ? nullptr : row_for(c.code);
    ASSERT_TRUE(c.code == 0 || row != nullptr);
    const bool handled = row != nullptr && (_lib_version != -1 || c.handled_in_ieee_mode);
    const observed_call out = observe([&] { return c.function(c.a, c.b); });

    if (!handled) {
      // (x - x)/(x - x): invalid for a number, quiet for a quiet NaN.
      EXPECT_TRUE((out.result & 0x7fffffffffffffff) > bits_inf);
      EXPECT_EQ(out.flags, row != nullptr ? static_cast<unsigned>(FE_INVALID) : 0u);
      EXPECT_EQ(out.errno_value, errno_sentinel);
      EXPECT_EQ(out.written, "");
      continue;
    }
    const std::uint64_t expected = _lib_version == -1 ? c.ieee_result : _lib_version == 0 ? row->svid_value : row->ansi_value;
    EXPECT_EQ(out.result, expected);
    EXPECT_EQ(out.flags, row->flags);
    EXPECT_EQ(out.errno_value, row->errno_by_mode[mode]);
    EXPECT_EQ(out.written, _lib_version == 0 ? row->svid_message : "");
  }
}

}  // namespace
