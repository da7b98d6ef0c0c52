// exp and log through the real handler in this program's mode: overflow and
// underflow of exp (codes 6, 7), log of zero and of negative numbers (16, 17).
// The expected value, errno, flags and message per mode are the handler's own
// rows in handler_cases; the special operands that never reach the handler
// leave errno alone and write nothing in every mode.
#include <gtest/gtest.h>

#include <cfenv>

#include "handler_cases.h"
#include "observed_call.h"
#include "korvel_math.h"
#include "libm_bits.h"

namespace {

const handler_case& handler_row(int code) {
  for (int i = 0; i < handler_case_count; ++i) {
    if (handler_cases[i].code == code) return handler_cases[i];
  }
  ADD_FAILURE() << "no handler row for code " << code;
  return handler_cases[0];
}

std::uint64_t value_in_this_mode(const handler_case& row) {
  switch (_lib_version) {
    case 0: return row.svid_value;
    case 1:
    case 2: return row.ansi_value;
    default: return row.ieee;
  }
}

struct exp_log_error {
  const char* call;
  double (*function)(double);
  std::uint64_t x;
  int code;
};

}  // namespace

TEST(FunctionErrors, ExpAndLogReportThroughTheHandlerInEveryMode) {
  const exp_log_error cases[] = {
      {"exp(1000)", __exp, 0x408f400000000000, 6},
      {"exp(next above threshold1)", __exp, 0x40862e42fefa39f0, 6},
      {"exp(-1000)", __exp, 0xc08f400000000000, 7},
      {"exp(next below -threshold2)", __exp, 0xc0874910d52d3052, 7},
      {"log(0)", __log, 0x0000000000000000, 16},
      {"log(-0)", __log, 0x8000000000000000, 16},
      {"log(-1)", __log, 0xbff0000000000000, 17},
      {"log(-5e-324)", __log, 0x8000000000000001, 17},
  };
  for (const exp_log_error& c : cases) {
    SCOPED_TRACE(c.call);
    const handler_case& row = handler_row(c.code);
    const observed_call out = observe([&] { return c.function(double_from_bits(c.x)); });
    EXPECT_EQ(out.result, value_in_this_mode(row));
    const int expected_errno = row.errno_by_mode[_lib_version + 1];
    EXPECT_EQ(out.errno_value, expected_errno == 0 ? errno_sentinel : expected_errno);
    EXPECT_EQ(out.flags, row.flags);
    EXPECT_EQ(out.written, _lib_version == 0 && row.svid_message != nullptr ? row.svid_message : "");
  }
}

TEST(FunctionErrors, ExpAndLogSpecialOperandsAreNotReported) {
  struct quiet_case {
    const char* call;
    double (*function)(double);
    std::uint64_t x;
    std::uint64_t result;
    unsigned flags;
  };
  const quiet_case cases[] = {
      {"exp(-inf)", __exp, 0xfff0000000000000, 0x0000000000000000, 0},
      {"exp(+inf)", __exp, 0x7ff0000000000000, 0x7ff0000000000000, 0},
      {"exp(sNaN)", __exp, 0x7ff0000000000001, 0x7ff8000000000001, FE_INVALID},
      {"log(-inf)", __log, 0xfff0000000000000, 0xfff8000000000000, FE_INVALID},
      {"log(-qNaN)", __log, 0xfff8000000000000, 0xfff8000000000000, 0},
      {"log(+inf)", __log, 0x7ff0000000000000, 0x7ff0000000000000, 0},
  };
  for (const quiet_case& c : cases) {
    SCOPED_TRACE(c.call);
    const observed_call out = observe([&] { return c.function(double_from_bits(c.x)); });
    EXPECT_EQ(out.result, c.result);
    EXPECT_EQ(out.errno_value, errno_sentinel);
    EXPECT_EQ(out.flags, c.flags);
    EXPECT_EQ(out.written, "");
  }
}
