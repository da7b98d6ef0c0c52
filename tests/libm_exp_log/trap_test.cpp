// exp and log through the library's own handler (ANSI mode) with the IEEE
// traps: an enabled trap is taken (SIGFPE in a child process, with the
// exception's si_code); with every trap disabled exactly the named flags are
// raised and the ANSI result and errno come back.
#include "function_cases.h"
#include "korvel_math.h"

#include <gtest/gtest.h>

#include "trap_child.h"

#include <cerrno>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct call_case {
  const char* what;
  double (*function)(double);
  std::uint64_t x;
  int trap;     // the trap enabled in the trap test
  int si_code;  // what the trap reports
  std::uint64_t result;  // with every trap disabled
  int flags;
  int errno_value;  // 0: left alone
};

constexpr int OVF = FE_OVERFLOW | FE_INEXACT;
constexpr int UNF = FE_UNDERFLOW | FE_INEXACT;

const call_case cases[] = {
    {"exp(1000)", __exp, 0x408f400000000000, FE_OVERFLOW, FPE_FLTOVF, plus_inf, OVF, 34},
    {"exp(-1000)", __exp, 0xc08f400000000000, FE_UNDERFLOW, FPE_FLTUND, plus_zero, UNF, 34},
    {"exp(sNaN)", __exp, signalling_nan, FE_INVALID, FPE_FLTINV, 0x7ff8000000000001, FE_INVALID, 0},
    {"exp(-sNaN)", __exp, 0xfff0000000000001, FE_INVALID, FPE_FLTINV, 0xfff8000000000001, FE_INVALID, 0},
    // 1 + 2^-40 is exact: only the discarded x + huge raises inexact.
    {"exp(2^-40)", __exp, 0x3d70000000000000, FE_INEXACT, FPE_FLTRES, 0x3ff0000000001000, FE_INEXACT, 0},
    {"exp(-740)", __exp, 0xc087200000000000, FE_UNDERFLOW, FPE_FLTUND, 0x0000000000000055, UNF, 0},
    {"log(0)", __log, plus_zero, FE_DIVBYZERO, FPE_FLTDIV, minus_inf, FE_DIVBYZERO, 34},
    {"log(-1)", __log, 0xbff0000000000000, FE_INVALID, FPE_FLTINV, minus_inf, FE_INVALID, 33},
    {"log(-inf)", __log, minus_inf, FE_INVALID, FPE_FLTINV, 0xfff8000000000000, FE_INVALID, 0},
    {"log(sNaN)", __log, signalling_nan, FE_INVALID, FPE_FLTINV, 0x7ff8000000000001, FE_INVALID, 0},
};

TEST(ExpLogTraps, AnEnabledTrapIsTaken) {
  for (const call_case& c : cases) {
    SCOPED_TRACE(c.what);
    int status = exit_status_in_child(c.trap, [&c] {
      volatile double result = c.function(from_bits(c.x));
      (void)result;
    });
    EXPECT_EQ(status, trap_status_base + c.si_code);
  }
}

TEST(ExpLogTraps, WithTrapsOffExactlyTheNamedFlags) {
  for (const call_case& c : cases) {
    SCOPED_TRACE(c.what);
    std::feclearexcept(FE_ALL_EXCEPT);
    errno = 0;
    const double result = c.function(from_bits(c.x));
    const int flags = std::fetestexcept(FE_ALL_EXCEPT);
    const int errno_value = errno;
    std::feclearexcept(FE_ALL_EXCEPT);
    EXPECT_EQ(to_bits(result), c.result);
    EXPECT_EQ(flags, c.flags);
    EXPECT_EQ(errno_value, c.errno_value);
  }
}

TEST(ExpLogTraps, ASignallingNanUnderAnotherTrapTakesNone) {
  // Any enabled trap sends exp to the x + x route; only the invalid trap fires there.
  int status = exit_status_in_child(FE_OVERFLOW | FE_DIVBYZERO, [] {
    volatile double result = __exp(from_bits(signalling_nan));
    bool quieted = to_bits(result) == 0x7ff8000000000001;
    _exit(quieted && std::fetestexcept(FE_ALL_EXCEPT) == FE_INVALID ? no_trap_status : 2);
  });
  EXPECT_EQ(status, no_trap_status);
}

}  // namespace
