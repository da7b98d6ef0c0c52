// pow's error routes through the real handler in this program's mode: each
// call must give exactly what the handler gives for its code and arguments
// (value, errno, flags, SVID message), and where the handler table has the
// same call, the value and errno that table fixes for the mode.
#include <gtest/gtest.h>

#include <cerrno>
#include <cfenv>
#include <cstdio>
#include <string>
#include <unistd.h>

#include "handler_cases.h"
#include "observed_call.h"
#include "korvel_math.h"
#include "libm_bits.h"

namespace {

// The handler table's value for this mode; strict ANSI mode answers 1 for code 42.
std::uint64_t table_value(const handler_case& c) {
  switch (_lib_version) {
    case -1: return c.ieee;
    case 0: return c.svid_value;
    case 2: return c.code == 42 ? bits_one : c.ansi_value;
    default: return c.ansi_value;
  }
}

const handler_case* table_row(int code, double x, double y) {
  for (int i = 0; i < handler_case_count; ++i) {
    const handler_case& c = handler_cases[i];
    if (c.code == code && double_bits(c.x) == double_bits(x) && double_bits(c.y) == double_bits(y)) return &c;
  }
  return nullptr;
}

struct pow_error_call {
  double x;
  double y;
  int code;
};

const double quiet_nan = double_from_bits(bits_quiet_nan);
// y log2 x rounds to 1024 with a tail too small to matter.
const double rounds_to_2_1024_x = double_from_bits(0x4025f42e4b815813);
const double rounds_to_2_1024_y = double_from_bits(0x40728430e2b41cf8);
const double rounds_to_minus_2_1024_x = double_from_bits(0xc3b2d597c58eeee5);

const pow_error_call pow_error_calls[] = {
    {0.0, 0.0, 20},
    {-0.0, -0.0, 20},
    {quiet_nan, 0.0, 42},
    {quiet_nan, -0.0, 42},
    {10.0, 309.0, 21},
    {-10.0, 400.0, 21},
    {-10.0, 401.0, 21},
    {10.0, 401.0, 21},
    {2.0, 1024.0, 21},
    {1.0000001, 1e10, 21},
    {-1.5, 9007199254740994.0, 21},
    {-1.5, 9007199254740991.0, 21},
    {rounds_to_2_1024_x, rounds_to_2_1024_y, 21},
    {rounds_to_minus_2_1024_x, 17.0, 21},
    {-10.0, -400.0, 22},
    {-10.0, -401.0, 22},
    {0.5, 1075.0, 22},
    {2.0, -1075.0, 22},
    {0.0, -1.0, 23},
    {-0.0, -1.0, 23},
    {-0.0, -2.0, 23},
    {-0.0, -3.0, 23},
    {-0.0, -0.5, 23},
    {-8.0, 0.5, 24},
    {-8.0, 1.0 / 3.0, 24},
    {-1.0, 0.5, 24},
    {-10.0, 401.5, 24},
};

TEST(FunctionErrors, PowGivesWhatTheHandlerGivesForItsCode) {
  int rows_matched = 0;
  for (const pow_error_call& c : pow_error_calls) {
    char label[96];
    std::snprintf(label, sizeof label, "pow(%a, %a), code %d, mode %d", c.x, c.y, c.code, _lib_version);
    SCOPED_TRACE(label);
    const observed_call ours = observe([&] { return __pow(c.x, c.y); });
    const observed_call handler = observe([&] { return __libm_SVID_libm_err(c.x, c.y, c.code); });
    EXPECT_EQ(ours.result, handler.result);
    EXPECT_EQ(ours.errno_value, handler.errno_value);
    EXPECT_EQ(ours.flags, handler.flags);
    EXPECT_EQ(ours.written, handler.written);

    if (const handler_case* row = table_row(c.code, c.x, c.y)) {
      ++rows_matched;
      const int expected_errno = row->errno_by_mode[_lib_version + 1];
      EXPECT_EQ(ours.result, table_value(*row));
      EXPECT_EQ(ours.errno_value, expected_errno == 0 ? errno_sentinel : expected_errno);
      EXPECT_EQ(ours.flags, row->flags);
    }
  }
  // Every pow row of the handler table that pow itself reaches is among the calls.
  EXPECT_EQ(rows_matched, 13);
}

// Overflow and underflow carry the sign of the true result; the fault case
// just below 2^1024 is an overflow like any other.
TEST(FunctionErrors, PowOverflowIsReportedWithItsSign) {
  const std::uint64_t huge = _lib_version == 0 ? bits_huge : bits_inf;
  const observed_call positive = observe([] { return __pow(rounds_to_2_1024_x, rounds_to_2_1024_y); });
  const observed_call negative = observe([] { return __pow(rounds_to_minus_2_1024_x, 17.0); });
  EXPECT_EQ(positive.result, huge);
  EXPECT_EQ(negative.result, huge | 0x8000000000000000);
  EXPECT_EQ(positive.errno_value, 34);
  EXPECT_EQ(negative.errno_value, 34);
  EXPECT_EQ(positive.flags, static_cast<unsigned>(FE_OVERFLOW | FE_INEXACT));
}

// pow(NaN, 0): strict ANSI mode answers 1 and leaves errno alone; SVID and
// ANSI modes give the NaN with EDOM; IEEE mode gives 1.
TEST(FunctionErrors, PowOfNanToTheZeroByMode) {
  const observed_call out = observe([] { return __pow(quiet_nan, 0.0); });
  const bool nan_with_edom = _lib_version == 0 || _lib_version == 1;
  EXPECT_EQ(out.result, nan_with_edom ? bits_quiet_nan : bits_one);
  EXPECT_EQ(out.errno_value, nan_with_edom ? 33 : errno_sentinel);
  EXPECT_EQ(out.flags, 0u);
  EXPECT_EQ(out.written, "");
}

}  // namespace
