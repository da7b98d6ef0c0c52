// The floating-point platform layer and the errno binding: trap enables read
// from both units, the rounding test, flags set without trapping, the real
// operations of the trap path (each checked in a child process), and the
// per-thread errno location.
#include <gtest/gtest.h>

#include "trap_child.h"

#include <cerrno>
#include <cfenv>
#include <csignal>
#include <cstdint>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "libm_internal.h"

namespace {

constexpr std::uint64_t bits_inf = 0x7FF0000000000000;
constexpr std::uint64_t bits_neg_inf = 0xFFF0000000000000;
constexpr std::uint64_t bits_nanx = 0x7FFFFFFFFFFFFFFF;
constexpr std::uint64_t bits_neg_nanx = 0xFFFFFFFFFFFFFFFF;
constexpr std::uint64_t bits_zero = 0x0000000000000000;
constexpr std::uint64_t bits_neg_zero = 0x8000000000000000;
constexpr std::uint64_t bits_fmin = 0x0000000000000001;
constexpr std::uint64_t bits_neg_fmin = 0x8000000000000001;
constexpr std::uint64_t bits_fmax = 0x7FEFFFFFFFFFFFFF;
constexpr std::uint64_t bits_neg_fmax = 0xFFEFFFFFFFFFFFFF;
constexpr double plus_one = double_from_bits(0x3FF0000000000000);
constexpr double minus_one = double_from_bits(0xBFF0000000000000);
constexpr double minus_zero = double_from_bits(bits_neg_zero);

using raise_func = double (*)(double) noexcept;

// x87 control word with the given exceptions unmasked, SSE untouched.
void unmask_x87_only(unsigned traps) {
  unsigned short control;
  asm volatile("fnstcw %0" : "=m"(control));
  control = static_cast<unsigned short>(control & ~traps);
  asm volatile("fldcw %0" : : "m"(control));
}

}  // namespace

TEST(Platform, TrapEnablesFollowFeenableexcept) {
  EXPECT_EQ(__libm_fe_enabled_traps(), 0u);
  const int traps[] = {FE_INVALID, FE_DIVBYZERO, FE_OVERFLOW, FE_UNDERFLOW, FE_INEXACT, FE_OVERFLOW | FE_INVALID};
  for (int trap : traps) {
    SCOPED_TRACE(trap);
    // In a child: an enabled trap must not leak into the other tests.
    int status = exit_status_in_child(trap, [trap] {
      _exit(__libm_fe_enabled_traps() == static_cast<unsigned>(trap) ? 0 : 1);
    });
    EXPECT_EQ(status, 0);
  }
}

TEST(Platform, AnX87TrapAloneCounts) {
  int status = exit_status_in_child(0, [] {
    unmask_x87_only(LIBM_FE_OVERFLOW);
    _exit(__libm_fe_enabled_traps() == LIBM_FE_OVERFLOW ? 0 : 1);
  });
  EXPECT_EQ(status, 0);
}

TEST(Platform, RoundToNearestIsTheOnlyNearestDirection) {
  const struct {
    int rounding;
    bool nearest;
  } cases[] = {{FE_TONEAREST, true}, {FE_UPWARD, false}, {FE_DOWNWARD, false}, {FE_TOWARDZERO, false}};
  for (const auto& c : cases) {
    ASSERT_EQ(std::fesetround(c.rounding), 0);
    bool nearest = __libm_fe_round_to_nearest();
    std::fesetround(FE_TONEAREST);
    EXPECT_EQ(nearest, c.nearest) << c.rounding;
  }
}

TEST(Platform, SetFlagsAccruesWithoutClearingOrTrapping) {
  std::feclearexcept(FE_ALL_EXCEPT);
  std::feraiseexcept(FE_INEXACT);
  __libm_fe_set_flags(LIBM_FE_OVERFLOW | LIBM_FE_UNDERFLOW);
  EXPECT_EQ(std::fetestexcept(FE_ALL_EXCEPT), FE_INEXACT | FE_OVERFLOW | FE_UNDERFLOW);
  std::feclearexcept(FE_ALL_EXCEPT);
  // Bits outside the exceptions are ignored (0x02 is the denormal flag).
  __libm_fe_set_flags(0x02 | 0x40 | LIBM_FE_INVALID);
  EXPECT_EQ(std::fetestexcept(FE_ALL_EXCEPT), FE_INVALID);
  std::feclearexcept(FE_ALL_EXCEPT);

  int status = exit_status_in_child(FE_ALL_EXCEPT, [] {
    __libm_fe_set_flags(LIBM_FE_ALL);
    _exit(std::fetestexcept(FE_ALL_EXCEPT) == FE_ALL_EXCEPT ? 0 : 1);
  });
  EXPECT_EQ(status, 0);
}

// Default results and flags with every trap disabled.
struct raise_case {
  const char* what;
  raise_func raise;
  double sign_of;
  int rounding;
  std::uint64_t result;
  int flags;
};

TEST(Platform, RaisingGivesTheDefaultResultAndFlags) {
  constexpr int OVF = FE_OVERFLOW | FE_INEXACT;
  constexpr int UNF = FE_UNDERFLOW | FE_INEXACT;
  const raise_case cases[] = {
      {"div0 +", __libm_fe_divbyzero, plus_one, FE_TONEAREST, bits_inf, FE_DIVBYZERO},
      {"div0 -0", __libm_fe_divbyzero, minus_zero, FE_TONEAREST, bits_neg_inf, FE_DIVBYZERO},
      {"div0 - upward", __libm_fe_divbyzero, minus_one, FE_UPWARD, bits_neg_inf, FE_DIVBYZERO},
      {"invalid +", __libm_fe_invalid, plus_one, FE_TONEAREST, bits_nanx, FE_INVALID},
      {"invalid -", __libm_fe_invalid, minus_one, FE_TONEAREST, bits_neg_nanx, FE_INVALID},
      {"overflow +", __libm_fe_overflow, plus_one, FE_TONEAREST, bits_inf, OVF},
      {"overflow -", __libm_fe_overflow, minus_one, FE_TONEAREST, bits_neg_inf, OVF},
      {"overflow + toward zero", __libm_fe_overflow, plus_one, FE_TOWARDZERO, bits_fmax, OVF},
      {"overflow - upward", __libm_fe_overflow, minus_one, FE_UPWARD, bits_neg_fmax, OVF},
      {"overflow - downward", __libm_fe_overflow, minus_one, FE_DOWNWARD, bits_neg_inf, OVF},
      {"underflow +", __libm_fe_underflow, plus_one, FE_TONEAREST, bits_zero, UNF},
      {"underflow -", __libm_fe_underflow, minus_one, FE_TONEAREST, bits_neg_zero, UNF},
      {"underflow + upward", __libm_fe_underflow, plus_one, FE_UPWARD, bits_fmin, UNF},
      {"underflow - downward", __libm_fe_underflow, minus_one, FE_DOWNWARD, bits_neg_fmin, UNF},
      {"underflow - toward zero", __libm_fe_underflow, minus_one, FE_TOWARDZERO, bits_neg_zero, UNF},
  };
  for (const raise_case& c : cases) {
    SCOPED_TRACE(c.what);
    std::feclearexcept(FE_ALL_EXCEPT);
    ASSERT_EQ(std::fesetround(c.rounding), 0);
    double result = c.raise(c.sign_of);
    int flags = std::fetestexcept(FE_ALL_EXCEPT);
    std::fesetround(FE_TONEAREST);
    std::feclearexcept(FE_ALL_EXCEPT);
    EXPECT_EQ(double_bits(result), c.result);
    EXPECT_EQ(flags, c.flags);
  }
}

// Each enabled trap is taken by the real operation, with the exception it belongs to.
struct trap_case {
  const char* what;
  raise_func raise;
  int traps;
  int si_code;  // 0: no trap
};

TEST(Platform, EnabledTrapsAreTaken) {
  const trap_case cases[] = {
      {"div0", __libm_fe_divbyzero, FE_DIVBYZERO, FPE_FLTDIV},
      {"invalid", __libm_fe_invalid, FE_INVALID, FPE_FLTINV},
      {"overflow", __libm_fe_overflow, FE_OVERFLOW, FPE_FLTOVF},
      {"underflow", __libm_fe_underflow, FE_UNDERFLOW, FPE_FLTUND},
      // The real multiplications are inexact as well.
      {"overflow, inexact trap", __libm_fe_overflow, FE_INEXACT, FPE_FLTRES},
      {"underflow, inexact trap", __libm_fe_underflow, FE_INEXACT, FPE_FLTRES},
      // Another exception's trap leaves the operation alone.
      {"div0, invalid trap", __libm_fe_divbyzero, FE_INVALID, 0},
      {"invalid, overflow trap", __libm_fe_invalid, FE_OVERFLOW, 0},
  };
  for (const trap_case& c : cases) {
    SCOPED_TRACE(c.what);
    raise_func raise = c.raise;
    int status = exit_status_in_child(c.traps, [raise] {
      volatile double result = raise(plus_one);
      (void)result;
    });
    EXPECT_EQ(status, c.si_code == 0 ? no_trap_status : trap_status_base + c.si_code);
  }
}

TEST(Platform, TheHandlerTakesAnEnabledTrap) {
  // sqrt of a negative number: invalid.
  int status = exit_status_in_child(FE_INVALID, [] {
    volatile double result = __libm_SVID_libm_err(minus_one, minus_one, 26);
    (void)result;
  });
  EXPECT_EQ(status, trap_status_base + FPE_FLTINV);
}

TEST(Errno, BindsTheCallingThreadsLocation) {
  EXPECT_EQ(__libm_errno(), &errno);
  EXPECT_EQ(__libm_errno(), &errno);  // bound once, same answer
  int* in_other_thread = nullptr;
  int* errno_of_other_thread = nullptr;
  std::thread other([&] {
    in_other_thread = __libm_errno();
    errno_of_other_thread = &errno;
  });
  other.join();
  EXPECT_EQ(in_other_thread, errno_of_other_thread);
  EXPECT_NE(in_other_thread, &errno);
}

TEST(Errno, TheHandlerStoresThroughIt) {
  errno = 0;
  __libm_SVID_libm_err(minus_one, minus_one, 26);
  EXPECT_EQ(errno, LIBM_EDOM);
  std::feclearexcept(FE_ALL_EXCEPT);
}
