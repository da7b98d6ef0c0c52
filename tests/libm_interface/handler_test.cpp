// The error handler in the mode of this test program (its own _lib_version):
// every type code, the matherr hooks, errno, the SVID messages on descriptor 2,
// the flush of standard output, IEEE flags and rounding.
#include <gtest/gtest.h>

#include <cerrno>
#include <cfenv>
#include <climits>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <unistd.h>

#include "handler_cases.h"
#include "korvel_math.h"
#include "libm_bits.h"

namespace {

constexpr int errno_sentinel = -7;

// What the test's matherr does, and what it saw.
enum hook_action { hook_default, hook_return_nonzero, hook_retval_42_return_zero, hook_retval_42_return_nonzero, hook_rename };

hook_action current_action = hook_default;
char* rename_to = nullptr;
int hook_calls = 0;
struct exception seen_record;

int mode_index() { return _lib_version + 1; }
bool svid_mode() { return _lib_version == 0; }

// Descriptor capture into a temporary file.
struct capture {
  int fd;
  int saved;
  FILE* file;
};

capture begin_capture(int fd) {
  capture c{fd, dup(fd), std::tmpfile()};
  dup2(fileno(c.file), fd);
  return c;
}

std::string end_capture(capture c) {
  dup2(c.saved, c.fd);
  close(c.saved);
  std::string text;
  std::rewind(c.file);
  for (int ch; (ch = std::fgetc(c.file)) != EOF;) text += static_cast<char>(ch);
  std::fclose(c.file);
  return text;
}

struct call_outcome {
  std::uint64_t result;
  int errno_value;
  unsigned flags;
  std::string written;  // descriptor 2
};

call_outcome call_handler(double x, double y, int type) {
  hook_calls = 0;
  std::feclearexcept(FE_ALL_EXCEPT);
  errno = errno_sentinel;
  capture err = begin_capture(2);
  double result = __libm_SVID_libm_err(x, y, type);
  unsigned flags = static_cast<unsigned>(std::fetestexcept(FE_ALL_EXCEPT));
  int errno_value = errno;
  std::string written = end_capture(err);
  return {double_bits(result), errno_value, flags, written};
}

void reset_hook() {
  current_action = hook_default;
  rename_to = nullptr;
}

bool matherr_consulted(const handler_case& c) {
  if (_lib_version == 2) return false;
  if (c.code == 20 && !svid_mode()) return false;
  return true;
}

std::uint64_t expected_result(const handler_case& c) {
  switch (_lib_version) {
    case 0: return c.svid_value;
    case 1: return c.ansi_value;
    case 2: return c.code == 42 ? bits_one : c.ansi_value;
    default: return c.ieee;
  }
}

std::string case_label(const handler_case& c) {
  char label[96];
  std::snprintf(label, sizeof label, "code %d x=%a y=%a mode %d", c.code, c.x, c.y, _lib_version);
  return label;
}

}  // namespace

// Overrides the library's weak default for this program.
extern "C" int matherr(struct exception* record) {
  ++hook_calls;
  seen_record = *record;
  switch (current_action) {
    case hook_default: return __matherr(record);
    case hook_return_nonzero: return 1;
    case hook_retval_42_return_zero: record->retval = 42.0; return 0;
    case hook_retval_42_return_nonzero: record->retval = 42.0; return 1;
    case hook_rename: record->name = rename_to; return 0;
  }
  return 0;
}

TEST(Handler, EveryCodeGivesItsValueErrnoFlagsAndMessage) {
  reset_hook();
  std::set<int> codes_seen;
  for (int i = 0; i < handler_case_count; ++i) {
    const handler_case& c = handler_cases[i];
    SCOPED_TRACE(case_label(c));
    codes_seen.insert(c.code);
    call_outcome out = call_handler(c.x, c.y, c.code);
    EXPECT_EQ(out.result, expected_result(c));
    int expected_errno = c.errno_by_mode[mode_index()];
    EXPECT_EQ(out.errno_value, expected_errno == 0 ? errno_sentinel : expected_errno);
    EXPECT_EQ(out.flags, c.flags);
    std::string expected_message = svid_mode() && c.svid_message != nullptr ? c.svid_message : "";
    EXPECT_EQ(out.written, expected_message);
    if (!matherr_consulted(c)) {
      EXPECT_EQ(hook_calls, 0);
      continue;
    }
    ASSERT_EQ(hook_calls, 1);
    EXPECT_EQ(seen_record.type, c.kind);
    EXPECT_STREQ(seen_record.name, c.name);
    // atan2 shows its arguments in the order (y, x).
    EXPECT_EQ(double_bits(seen_record.arg1), double_bits(c.code == 3 ? c.y : c.x));
    EXPECT_EQ(double_bits(seen_record.arg2), double_bits(c.code == 3 ? c.x : c.y));
    EXPECT_EQ(double_bits(seen_record.retval), svid_mode() ? c.svid_value : c.ansi_value);
  }
  EXPECT_EQ(codes_seen.size(), 44u);
  EXPECT_EQ(*codes_seen.begin(), 1);
  EXPECT_EQ(*codes_seen.rbegin(), 44);
}

TEST(Handler, EachCodeNamesItsOwnStorage) {
  reset_hook();
  std::set<const char*> names;
  for (int code = 1; code <= 44; ++code) {
    call_handler(1.0, 1.0, code);
    // Strict ANSI mode never shows the record; pow(0, 0) is an error in SVID mode only.
    bool consulted = _lib_version != 2 && (code != 20 || svid_mode());
    ASSERT_EQ(hook_calls, consulted ? 1 : 0) << code;
    if (consulted) names.insert(seen_record.name);
  }
  EXPECT_EQ(names.size(), _lib_version == 2 ? 0u : svid_mode() ? 44u : 43u);
}

TEST(Handler, CodesOutsideTheTableAreNotReported) {
  reset_hook();
  for (int code : {0, 45, -1, 1000, INT_MIN, INT_MAX}) {
    SCOPED_TRACE(code);
    call_outcome out = call_handler(5.0, 0.0, code);
    EXPECT_EQ(out.result, bits_nanx);
    EXPECT_EQ(out.errno_value, errno_sentinel);
    EXPECT_EQ(out.flags, 0u);
    EXPECT_EQ(out.written, "");
    EXPECT_EQ(hook_calls, 0);
  }
}

// sqrt(-1) with hooks that take over or change retval.
struct hook_case {
  hook_action action;
  std::uint64_t result_by_mode[mode_count];
  int errno_by_mode[mode_count];  // 0: left alone
  bool message_in_svid;
};

TEST(Handler, MatherrHooksDecideValueErrnoAndMessage) {
  constexpr std::uint64_t bits_42 = 0x4045000000000000;
  const hook_case cases[] = {
      {hook_default, {bits_nanx, bits_zero, bits_nanx, bits_nanx}, {33, 33, 33, 33}, true},
      {hook_return_nonzero, {bits_nanx, bits_zero, bits_nanx, bits_nanx}, {0, 0, 0, 33}, false},
      {hook_retval_42_return_nonzero, {bits_nanx, bits_42, bits_42, bits_nanx}, {0, 0, 0, 33}, false},
      {hook_retval_42_return_zero, {bits_nanx, bits_42, bits_42, bits_nanx}, {33, 33, 33, 33}, true},
  };
  for (const hook_case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.action));
    reset_hook();
    current_action = c.action;
    call_outcome out = call_handler(-1.0, -1.0, 26);
    EXPECT_EQ(out.result, c.result_by_mode[mode_index()]);
    int expected_errno = c.errno_by_mode[mode_index()];
    EXPECT_EQ(out.errno_value, expected_errno == 0 ? errno_sentinel : expected_errno);
    EXPECT_EQ(out.flags, static_cast<unsigned>(FE_INVALID));
    EXPECT_EQ(out.written, svid_mode() && c.message_in_svid ? "sqrt: DOMAIN error\n" : "");
    EXPECT_EQ(hook_calls, _lib_version == 2 ? 0 : 1);
  }
  reset_hook();
}

TEST(Handler, TlossMessageUsesTheNameMatherrLeaves) {
  static char short_name[] = "xy";
  static char long_name[] = "bessel_first_kind";
  static char empty_name[] = "";
  struct rename_case {
    char* name;
    const char* message;
  };
  const rename_case cases[] = {
      {short_name, "xy: TLOSS error\n"},
      {long_name, "bessel_first_kind: TLOSS error\n"},
      {empty_name, ": TLOSS error\n"},
      {nullptr, ": TLOSS error\n"},
  };
  for (const rename_case& c : cases) {
    SCOPED_TRACE(c.message);
    reset_hook();
    current_action = hook_rename;
    rename_to = c.name;
    call_outcome out = call_handler(1e300, 0.25, 34);
    EXPECT_EQ(out.written, svid_mode() ? c.message : "");
    EXPECT_EQ(out.errno_value, 34);
  }
  // Other messages are the row's own text whatever the name.
  reset_hook();
  current_action = hook_rename;
  rename_to = short_name;
  call_outcome out = call_handler(-1.0, -1.0, 26);
  EXPECT_EQ(out.written, svid_mode() ? "sqrt: DOMAIN error\n" : "");
  reset_hook();
}

TEST(Handler, StandardOutputIsFlushedFirstInSvidModeOnly) {
  reset_hook();
  for (int code : {27, 6, 99}) {
    SCOPED_TRACE(code);
    std::fflush(stdout);
    // Descriptors 1 and 2 share one file, so the order of the bytes shows the order of the writes.
    capture out = begin_capture(1);
    int saved_err = dup(2);
    dup2(1, 2);
    std::fputs("pending output;", stdout);
    __libm_SVID_libm_err(5.0, 0.0, code);
    dup2(saved_err, 2);
    close(saved_err);
    std::string before_flush;
    {
      std::fflush(out.file);
      int file_fd = fileno(out.file);
      off_t size = lseek(file_fd, 0, SEEK_END);
      before_flush.resize(static_cast<std::size_t>(size));
      ssize_t got = pread(file_fd, before_flush.data(), before_flush.size(), 0);
      before_flush.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    }
    std::fflush(stdout);
    std::string all = end_capture(out);
    std::string message = code == 27 && svid_mode() ? "fmod:  DOMAIN error\n" : "";
    if (svid_mode()) {
      EXPECT_EQ(before_flush, "pending output;" + message);
    } else {
      EXPECT_EQ(before_flush, "");
    }
    EXPECT_EQ(all, svid_mode() ? "pending output;" + message : "pending output;");
  }
}

// Results the rounding direction decides: the real operation rounds them.
struct rounding_case {
  int code;
  double x;
  double y;
  int rounding;
  std::uint64_t ieee;
  std::uint64_t svid_value;
  std::uint64_t ansi_value;
  unsigned flags;
};

TEST(Handler, DirectedRoundingActsOnOverflowAndUnderflow) {
  constexpr unsigned OVF = FE_OVERFLOW | FE_INEXACT;
  constexpr unsigned UNF = FE_UNDERFLOW | FE_INEXACT;
  constexpr std::uint64_t fmin = 0x0000000000000001, neg_fmin = 0x8000000000000001;
  constexpr std::uint64_t fmax = 0x7FEFFFFFFFFFFFFF, neg_fmax = 0xFFEFFFFFFFFFFFFF;
  const rounding_case cases[] = {
      {7, -1000.0, -1000.0, FE_UPWARD, fmin, bits_zero, bits_zero, UNF},
      {7, -1000.0, -1000.0, FE_DOWNWARD, bits_zero, bits_zero, bits_zero, UNF},
      {7, -1000.0, -1000.0, FE_TOWARDZERO, bits_zero, bits_zero, bits_zero, UNF},
      {6, 1000.0, 1000.0, FE_TOWARDZERO, fmax, bits_huge, bits_inf, OVF},
      {6, 1000.0, 1000.0, FE_DOWNWARD, fmax, bits_huge, bits_inf, OVF},
      {6, 1000.0, 1000.0, FE_UPWARD, bits_inf, bits_huge, bits_inf, OVF},
      {22, -10.0, -401.0, FE_DOWNWARD, neg_fmin, neg_fmin, neg_fmin, UNF},
      {22, -10.0, -401.0, FE_UPWARD, bits_neg_zero, bits_neg_zero, bits_neg_zero, UNF},
      {21, -10.0, 401.0, FE_UPWARD, neg_fmax, bits_neg_huge, bits_neg_inf, OVF},
      {33, 1e-308, 1e-308, FE_UPWARD, fmin, fmin, fmin, UNF},
      {16, 0.0, 0.0, FE_UPWARD, bits_neg_inf, bits_neg_huge, bits_neg_inf, static_cast<unsigned>(FE_DIVBYZERO)},
  };
  reset_hook();
  for (const rounding_case& c : cases) {
    SCOPED_TRACE(c.code);
    SCOPED_TRACE(c.rounding);
    ASSERT_EQ(std::fesetround(c.rounding), 0);
    call_outcome out = call_handler(c.x, c.y, c.code);
    std::fesetround(FE_TONEAREST);
    std::uint64_t expected = _lib_version == 0 ? c.svid_value : _lib_version == 1 || _lib_version == 2 ? c.ansi_value : c.ieee;
    EXPECT_EQ(out.result, expected);
    EXPECT_EQ(out.flags, c.flags);
  }
}

TEST(Handler, FlagsAlreadyRaisedStayRaised) {
  reset_hook();
  std::feclearexcept(FE_ALL_EXCEPT);
  std::feraiseexcept(FE_INEXACT | FE_DIVBYZERO);
  capture err = begin_capture(2);
  __libm_SVID_libm_err(-1.0, -1.0, 26);
  end_capture(err);
  EXPECT_EQ(std::fetestexcept(FE_ALL_EXCEPT), FE_INEXACT | FE_DIVBYZERO | FE_INVALID);
  std::feclearexcept(FE_ALL_EXCEPT);
}

TEST(Handler, DefaultMatherrHandlesNothingAndTouchesNothing) {
  static char name[] = "sqrt";
  struct exception record{1, name, -1.0, -2.0, 3.0};
  struct exception copy = record;
  EXPECT_EQ(__matherr(&record), 0);
  EXPECT_EQ(std::memcmp(&record, &copy, sizeof record), 0);
}

// The functions that report domain errors, through the real handler in this
// program's mode: what the caller gets, errno, flags and the SVID message.
struct function_error_case {
  const char* call;
  double (*function)(double, double);
  double x, y;
  double record_arg1, record_arg2;
  std::uint64_t result[mode_count];  // IEEE, SVID, ANSI, strict ANSI
  bool reaches_handler_in_ieee_mode;
  unsigned flags;
  const char* svid_message;
};

double sqrt_of_first(double x, double) { return __sqrt(x); }

TEST(FunctionErrors, DomainErrorsOfTheExactFunctions) {
  reset_hook();
  const double inf = double_from_bits(bits_inf);
  const double quiet_nan = double_from_bits(0x7FF8000000000000);
  constexpr std::uint64_t default_nan = 0xFFF8000000000000;  // what the square-root instruction gives
  const function_error_case cases[] = {
      {"sqrt(-1)", sqrt_of_first, -1.0, -1.0, -1.0, -1.0, {default_nan, bits_zero, bits_nanx, bits_nanx}, false,
       FE_INVALID, "sqrt: DOMAIN error\n"},
      {"sqrt(-inf)", sqrt_of_first, -inf, -inf, -inf, -inf, {default_nan, bits_zero, bits_nanx, bits_nanx}, false,
       FE_INVALID, "sqrt: DOMAIN error\n"},
      {"fmod(5, 0)", __fmod, 5.0, 0.0, 5.0, 0.0, {bits_nanx, 0x4014000000000000, bits_nanx, bits_nanx}, true,
       FE_INVALID, "fmod:  DOMAIN error\n"},
      {"fmod(qnan, -0)", __fmod, quiet_nan, -0.0, quiet_nan, -0.0,
       {bits_nanx, 0x7FF8000000000000, bits_nanx, bits_nanx}, true, 0, "fmod:  DOMAIN error\n"},
      {"fmod(inf, 0)", __fmod, inf, 0.0, inf, 0.0, {bits_nanx, bits_inf, bits_nanx, bits_nanx}, true, FE_INVALID,
       "fmod:  DOMAIN error\n"},
      {"remainder(-3, -0)", __remainder, -3.0, -0.0, 3.0, 0.0, {bits_nanx, bits_nanx, bits_nanx, bits_nanx}, true,
       FE_INVALID, "remainder: DOMAIN error\n"},
  };
  for (const function_error_case& c : cases) {
    SCOPED_TRACE(c.call);
    const bool ieee_mode = _lib_version == -1;
    const bool handled = !ieee_mode || c.reaches_handler_in_ieee_mode;
    hook_calls = 0;
    std::feclearexcept(FE_ALL_EXCEPT);
    errno = errno_sentinel;
    capture err = begin_capture(2);
    double result = c.function(c.x, c.y);
    unsigned flags = static_cast<unsigned>(std::fetestexcept(FE_ALL_EXCEPT));
    int errno_value = errno;
    std::string written = end_capture(err);

    EXPECT_EQ(double_bits(result), c.result[mode_index()]);
    EXPECT_EQ(flags, c.flags);
    EXPECT_EQ(errno_value, handled ? 33 : errno_sentinel);
    EXPECT_EQ(written, svid_mode() ? c.svid_message : "");
    const bool consulted = handled && _lib_version != 2;
    EXPECT_EQ(hook_calls, consulted ? 1 : 0);
    if (consulted) {
      // remainder hands the handler the magnitudes of its arguments.
      EXPECT_EQ(double_bits(seen_record.arg1), double_bits(c.record_arg1));
      EXPECT_EQ(double_bits(seen_record.arg2), double_bits(c.record_arg2));
    }
  }
}
