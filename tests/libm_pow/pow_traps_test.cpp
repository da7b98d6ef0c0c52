// pow's overflow, underflow and invalid exceptions with the trap enabled
// (each in a child process, which must take SIGFPE inside pow, before the
// handler) and with every trap disabled (exactly the named flags).
#include "function_cases.h"
#include "korvel_math.h"
#include "recording_handler.h"

#include <gtest/gtest.h>

#include "trap_child.h"

#include <csignal>
#include <cstdio>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Runs pow(x, y) in a child with `traps` enabled; returns the child's exit status.
int exit_status_of_pow_in_child(int traps, double x, double y) {
  return exit_status_in_child(traps, [=] {
    volatile double result = __pow(x, y);
    (void)result;
  });
}

struct trap_case {
  const char* call;
  double x;
  double y;
  int trap;
  int si_code;    // the SIGFPE taken with `trap` enabled
  int flags;      // exactly the flags raised with every trap disabled
  int handler_code;
};

const double fault_x = from_bits(0x4025f42e4b815813);
const double fault_y = from_bits(0x40728430e2b41cf8);

const trap_case trap_cases[] = {
    {"pow(10, 309)", 10.0, 309.0, FE_OVERFLOW, FPE_FLTOVF, FE_OVERFLOW | FE_INEXACT, 21},
    {"pow(2, -1075)", 2.0, -1075.0, FE_UNDERFLOW, FPE_FLTUND, FE_UNDERFLOW | FE_INEXACT, 22},
    {"pow(-8, 1/3)", -8.0, 1.0 / 3.0, FE_INVALID, FPE_FLTINV, FE_INVALID, 24},
    {"pow(x, y) rounding to 2^1024", fault_x, fault_y, FE_OVERFLOW, FPE_FLTOVF, FE_OVERFLOW | FE_INEXACT, 21},
};

TEST(PowTraps, AnEnabledTrapIsTakenInsidePow) {
  for (const trap_case& c : trap_cases) {
    SCOPED_TRACE(c.call);
    EXPECT_EQ(exit_status_of_pow_in_child(c.trap, c.x, c.y), trap_status_base + c.si_code);
  }
}

TEST(PowTraps, WithTrapsDisabledExactlyTheNamedFlagsAreRaised) {
  for (const trap_case& c : trap_cases) {
    SCOPED_TRACE(c.call);
    reset_recorded_handler(0);
    std::feclearexcept(FE_ALL_EXCEPT);
    __pow(c.x, c.y);
    EXPECT_EQ(std::fetestexcept(FE_ALL_EXCEPT), c.flags);
    std::feclearexcept(FE_ALL_EXCEPT);
    EXPECT_EQ(recorded_handler.calls, 1);
    EXPECT_EQ(recorded_handler.last.type, c.handler_code);
  }
}

// Results at the ends of the normal range raise neither trap.
TEST(PowTraps, NormalResultsAtTheBordersTakeNoTrap) {
  EXPECT_EQ(exit_status_of_pow_in_child(FE_OVERFLOW, 2.0, 1023.0), no_trap_status);
  EXPECT_EQ(exit_status_of_pow_in_child(FE_UNDERFLOW, 0.5, 1022.0), no_trap_status);
}

}  // namespace
