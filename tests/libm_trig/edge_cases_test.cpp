// sin, cos, tan, their kernels and the reduction modulo pi/2 at the values
// where a branch changes, bit for bit, with the exception flags raised.
// Expected values: the documented ones, MPFR's correctly rounded values, and
// for the kernels' branch cases a separate evaluation of the kernel formulas
// (each also within 0.52 ulp of the exact value).
#include "function_cases.h"
#include "korvel_math.h"
#include "libm_tables.h"
#include "recording_handler.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

constexpr int I = FE_INEXACT;
constexpr int V = FE_INVALID;
// Underflow is left out: no case here is meant to raise or avoid it.
constexpr int watched_flags = FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW | FE_INEXACT;

std::string hex(std::uint64_t bits) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%016llX", static_cast<unsigned long long>(bits));
  return text;
}

void clear_flags() { std::feclearexcept(FE_ALL_EXCEPT); }
int raised_flags() { return std::fetestexcept(watched_flags); }

struct function_case {
  std::uint64_t x;
  std::uint64_t sin;
  std::uint64_t cos;
  std::uint64_t tan;
  int flags;  // exactly these of the watched flags, for each of the three
};

const function_case function_cases[] = {
    {plus_zero, plus_zero, 0x3FF0000000000000, plus_zero, 0},
    {minus_zero, minus_zero, 0x3FF0000000000000, minus_zero, 0},
    {0x3E112E0BE826D695, 0x3E112E0BE826D695, 0x3FF0000000000000, 0x3E112E0BE826D695, I},  // 1e-9: the argument or one
    {0xBE112E0BE826D695, 0xBE112E0BE826D695, 0x3FF0000000000000, 0xBE112E0BE826D695, I},
    {min_subnormal, min_subnormal, 0x3FF0000000000000, min_subnormal, I},
    {0x3EE4F8B588E368F1, 0x3EE4F8B588E1E8A2, 0x3FEFFFFFFFF920C8, 0x3EE4F8B588E6698E, I},  // 1e-5: short polynomials
    {0x3FC4000000000000, 0x3FC3EB312C5D66CB, 0x3FEF9C340A7CC428, 0x3FC42A13DF7BB968, I},  // 0.15625: first cos/tan breakpoint
    {0x3FC9000000000000, 0x3FC8D7632EFAA944, 0x3FEF643EFEB82ACD, 0x3FC952A435D12828, I},  // 0.1953125: first sin breakpoint
    {0x3FE0000000000000, 0x3FDEAEE8744B05F0, 0x3FEC1528065B7D50, 0x3FE17B4F5BF3474A, I},  // 0.5: table values
    {0x3FE921FB54442D18, 0x3FE6A09E667F3BCC, 0x3FE6A09E667F3BCD, 0x3FEFFFFFFFFFFFFF, I},  // pi/4
    {0x3FE921FB54442D19, 0x3FE6A09E667F3BCD, 0x3FE6A09E667F3BCC, 0x3FF0000000000001, I},  // above pi/4, same high word
    {0x3FF921FB54442D18, 0x3FF0000000000000, 0x3C91A62633145C07, 0x434D02967C31CDB5, I},  // pi/2: special high word
    {0xBFF921FB54442D18, 0xBFF0000000000000, 0x3C91A62633145C07, 0xC34D02967C31CDB5, I},
    {0x400921FB54442D18, 0x3CA1A62633145C07, 0xBFF0000000000000, 0xBCA1A62633145C07, I},  // pi
    {0x4008000000000000, 0x3FC210386DB6D55B, 0xBFEFAE04BE85E5D2, 0xBFC23EF71254B86F, I},  // 3
    {0x412E848000000000, 0xBFD6664B2568D867, 0x3FEDF9DF9906D32C, 0xBFD7E9768AB734C0, I},  // 1e6
    {0x413921FB00000000, 0xBFD4B02E5BE91E9E, 0x3FEE4831257A62DA, 0xBFD5DCA6BD170C6F, I},  // 1647099: last medium
    {0x413921FC00000000, 0x3FE3E479A61836EB, 0x3FE910D18D26C0D4, 0x3FE9654894D5652A, I},  // 1647100: first chunked
    {0x4480F0CF064DD592, 0xBFEB453AB76BF397, 0x3FE0BE2CEF01C8F4, 0xBFFA0F79C1B6B257, I},  // 1e22
    {0xC480F0CF064DD592, 0x3FEB453AB76BF397, 0x3FE0BE2CEF01C8F4, 0x3FFA0F79C1B6B257, I},  // -1e22
    {max_finite, 0x3F7452FC98B34E97, 0xBFEFFFE62ECFAB75, 0xBF74530CFE729484, I},
    {plus_inf, quiet_nan, quiet_nan, quiet_nan, V},
    {minus_inf, quiet_nan, quiet_nan, quiet_nan, V},
    {quiet_nan, quiet_nan, quiet_nan, quiet_nan, 0},
    {signalling_nan, quiet_nan, quiet_nan, quiet_nan, V},
};

void expect_function(const char* name, double (*function)(double), std::uint64_t x, std::uint64_t expected,
                     int flags) {
  reset_recorded_handler(0);
  clear_flags();
  const double result = function(from_bits(x));
  const int raised = raised_flags();
  const std::string what = std::string(name) + "(" + hex(x) + ")";
  expect_same(expected, result, what);
  EXPECT_EQ(raised, flags) << what;
  EXPECT_EQ(recorded_handler.calls, 0) << what;
}

TEST(TrigEdges, SinCosTanAtTheBranchValues) {
  for (const function_case& c : function_cases) {
    expect_function("sin", __sin, c.x, c.sin, c.flags);
    expect_function("cos", __cos, c.x, c.cos, c.flags);
    expect_function("tan", __tan, c.x, c.tan, c.flags);
  }
}

// Kernel cases: which = 0 sin, 1 cos, 2 tan with k = 0, 3 tan with k = 1.
struct kernel_case {
  int which;
  std::uint64_t x;
  std::uint64_t y;
  std::uint64_t expected;
  int flags;
};

constexpr std::uint64_t tail_57 = 0x3C70000000000000;     // 2^-56
constexpr std::uint64_t tail_of_07 = 0x3C814B37F4B51F71;  // 3e-17
constexpr std::uint64_t tail_of_01 = 0x3C570EF54646D497;  // 5e-18
constexpr std::uint64_t tail_of_1e4 = 0x3BBC558E0F15E8F7; // 6e-21

const kernel_case kernel_cases[] = {
    // Table range, with and without a tail, both signs.
    {0, 0x3FE0000000000000, plus_zero, 0x3FDEAEE8744B05F0, I},
    {0, 0x3FE0000000000000, tail_57, 0x3FDEAEE8744B05F0, I},
    {0, 0xBFE0000000000000, tail_57 | minus_zero, 0xBFDEAEE8744B05F0, I},
    {0, 0x3FE6666666666666, tail_of_07, 0x3FE49D6E694619B8, I},
    {0, 0xBFE6666666666666, tail_of_07, 0xBFE49D6E694619B8, I},
    {0, 0x3FE9000000000000, plus_zero, 0x3FE6888A4E134B2F, I},  // last breakpoint
    {1, 0x3FE0000000000000, tail_57, 0x3FEC1528065B7D50, I},
    {1, 0xBFE6666666666666, tail_of_07, 0x3FE87996529F9D93, I},
    {1, 0x3FB999999999999A, tail_of_01, 0x3FEFD712F9A817C0, I},
    {1, 0x3FE9000000000000, plus_zero, 0x3FE6B898FA9EFB5D, I},
    {2, 0x3FE0000000000000, tail_57, 0x3FE17B4F5BF3474A, I},
    {2, 0xBFE6666666666666, tail_of_07, 0xBFEAF406C2FC78AD, I},
    {2, 0x3FB999999999999A, tail_of_01, 0x3FB9AF8877430B80, I},
    {2, 0x3FE9000000000000, plus_zero, 0x3FEFBC511DF5917F, I},
    {3, 0x3FE0000000000000, plus_zero, 0xBFFD49AD7E47C0A3, I},   // -cot through the table
    {3, 0x3FE0000000000000, tail_57, 0xBFFD49AD7E47C0A2, I},
    {3, 0x3FE0000000000000, minus_zero, 0xBFFD49AD7E47C0A3, I},  // a -0 tail counts as none
    {3, 0x3FE6666666666666, tail_of_07, 0xBFF2FEF14A96D5DA, I},
    {3, 0xBFE6666666666666, tail_of_07, 0x3FF2FEF14A96D5DB, I},
    {3, 0x3FC4000000000000, plus_zero, 0xC019642DFE1E2E1A, I},
    {3, 0x3FE9000000000000, plus_zero, 0xBFF0221F9DB45CD1, I},
    // Just below the table: polynomials.
    {0, 0x3FC8FFFFFFFFFFFF, plus_zero, 0x3FC8D7632EFAA943, I},
    {0, 0x3FB999999999999A, plus_zero, 0x3FB98EAECB8BCB2C, I},
    {0, 0x3FB999999999999A, tail_of_01, 0x3FB98EAECB8BCB2D, I},
    {0, 0xBFB999999999999A, tail_of_01 | minus_zero, 0xBFB98EAECB8BCB2D, I},
    {0, 0x3FB999999999999A, min_subnormal, 0x3FB98EAECB8BCB2C, I},  // tail with a zero high word: none
    {1, 0x3FC3FFFFFFFFFFFF, plus_zero, 0x3FEF9C340A7CC429, I},
    {2, 0x3FC3FFFFFFFFFFFF, plus_zero, 0x3FC42A13DF7BB967, I},
    {2, 0xBFB999999999999A, plus_zero, 0xBFB9AF8877430B80, I},
    {3, 0x3FC3FFFFFFFFFFFF, plus_zero, 0xC019642DFE1E2E1C, I},
    {3, 0x3FB999999999999A, tail_of_01, 0xC023EEEC049184B6, I},
    {3, 0xBFB999999999999A, plus_zero, 0x4023EEEC049184B7, I},
    // The 2^-13 border: full polynomials at it, short ones below.
    {0, 0x3F20000000000000, plus_zero, 0x3F1FFFFFFEAAAAAB, I},
    {0, 0x3F1FFFFFFFFFFFFF, plus_zero, 0x3F1FFFFFFEAAAAAA, I},
    {1, 0x3F20000000000000, plus_zero, 0x3FEFFFFFFC000000, I},
    {2, 0x3F20000000000000, plus_zero, 0x3F20000001555555, I},
    {0, 0x3F1A36E2EB1C432D, plus_zero, 0x3F1A36E2EA609CC8, I},
    {0, 0x3F1A36E2EB1C432D, tail_of_1e4 | minus_zero, 0x3F1A36E2EA609CC7, I},
    {1, 0x3F1A36E2EB1C432D, tail_of_1e4, 0x3FEFFFFFFD50CE24, I},
    {2, 0x3EF4F8B588E368F1, 0x3B9C558E0F15E8F7, 0x3EF4F8B588EF6B67, I},
    {3, 0x3EF4F8B588E368F1, 0x3B9C558E0F15E8F7, 0xC0E869FFFFF204DB, I},
    {3, 0x3F1A36E2EB1C432D, tail_of_1e4, 0xC0C387FFFEE86136, I},
    // Below 2^-27: the argument, one, or the corrected -1/x.
    {0, 0x3E112E0BE826D695, 0x3A88C240C4AECB14, 0x3E112E0BE826D695, I},  // the tail is ignored
    {1, 0x3E112E0BE826D695, plus_zero, 0x3FF0000000000000, I},
    {2, 0x3E112E0BE826D695, 0x3A88C240C4AECB14, 0x3E112E0BE826D695, I},
    {3, 0x3E112E0BE826D695, 0x3A88C240C4AECB14, 0xC1CDCD64FFFFFFFF, I},
    {3, 0xBE112E0BE826D695, plus_zero, 0x41CDCD64FFFFFFFF, I},
    {3, 0x01A56E1FC2F8F359, plus_zero, 0xFE37E43C8800759B, I},  // 1e-300: -1/x still finite
    {0, plus_zero, plus_zero, plus_zero, 0},
    {0, minus_zero, plus_zero, minus_zero, 0},
    {1, minus_zero, plus_zero, 0x3FF0000000000000, 0},
    {2, plus_zero, plus_zero, plus_zero, 0},
    {2, minus_zero, plus_zero, minus_zero, 0},
    {0, min_subnormal, plus_zero, min_subnormal, I},
    {1, min_subnormal, plus_zero, 0x3FF0000000000000, I},
    // The pole of -cot: the division's infinity and its flag, not 0 * inf = NaN.
    {3, plus_zero, plus_zero, minus_inf, FE_DIVBYZERO},
    {3, minus_zero, plus_zero, plus_inf, FE_DIVBYZERO},
    {3, plus_zero, 0x3C70000000000000, minus_inf, FE_DIVBYZERO},
    {3, min_subnormal, plus_zero, minus_inf, FE_OVERFLOW | I},
    {3, 0x800FFFFFFFFFFFFF, plus_zero, 0x7FD0000000000001, I},  // largest subnormal: finite
    {3, 0x0000400000000000, plus_zero, minus_inf, FE_OVERFLOW | I},  // 2^-1026
};

double call_kernel(int which, double x, double y) {
  switch (which) {
  case 0:
    return __libm__k_sin(x, y);
  case 1:
    return __libm__k_cos(x, y);
  case 2:
    return __libm__k_tan(x, y, 0);
  default:
    return __libm__k_tan(x, y, 1);
  }
}

TEST(TrigEdges, KernelsInEveryBranch) {
  static const char* const names[] = {"k_sin", "k_cos", "k_tan0", "k_tan1"};
  for (const kernel_case& c : kernel_cases) {
    clear_flags();
    const double result = call_kernel(c.which, from_bits(c.x), from_bits(c.y));
    const int raised = raised_flags();
    const std::string what = std::string(names[c.which]) + "(" + hex(c.x) + ", " + hex(c.y) + ")";
    expect_same(c.expected, result, what);
    EXPECT_EQ(raised, c.flags) << what;
  }
}

// Every breakpoint gives back its table entry: the offset and tail are zero.
TEST(TrigEdges, KernelsReturnTheTableAtEachBreakpoint) {
  for (int i = 0; i < 75; ++i) {
    const double x = from_bits(static_cast<std::uint64_t>(0x3FC40000 + i * 0x8000) << 32);
    const std::string what = "breakpoint " + std::to_string(i);
    // sum of hi and lo as a double: the table value rounded once more
    if (i >= 10) expect_same(to_bits(__libm_TBL_sin_hi[i] + __libm_TBL_sin_lo[i]), __libm__k_sin(x, 0.0), what);
    expect_same(to_bits(__libm_TBL_cos_hi[i] + __libm_TBL_cos_lo[i]), __libm__k_cos(x, 0.0), what);
    expect_same(to_bits(__libm_TBL_tan_hi[i] + __libm_TBL_tan_lo[i]), __libm__k_tan(x, 0.0, 0), what);
    expect_same(to_bits(-(__libm_TBL_sin_hi[i] + __libm_TBL_sin_lo[i])), __libm__k_sin(-x, 0.0), what);
  }
}

struct reduction_case {
  std::uint64_t x;
  int n;
  std::uint64_t y0;
  int flags;
  bool plus_zero_tail;
};

const reduction_case reduction_cases[] = {
    {0x3FE921FB54442D18, 0, 0x3FE921FB54442D18, 0, true},  // pi/4 itself: unchanged
    {0xBFE921FB54442D18, 0, 0xBFE921FB54442D18, 0, true},
    {minus_zero, 0, minus_zero, 0, true},
    {0x3FE921FB54442D19, 1, 0xBFE921FB54442D18, I, false},
    {0x3FF921FB54442D18, 1, 0xBC91A62633145C07, I, false},
    {0xBFF921FB54442D18, -1, 0x3C91A62633145C07, I, false},
    {0x4008000000000000, 2, 0xBFC21FB54442D184, I, false},
    {0x412E848000000000, 636620, 0xBFD6E254D0F6B398, I, false},
    {0x413921FB00000000, 1048576, 0xBFD5110B4611A626, I, false},
    {0x413921FC00000000, 0, 0x3FE5777A5CF72CED, I, false},  // 1048576 modulo 8
    {0x4480F0CF064DD592, 3, 0x3FE19EAB99633CD8, I, false},
    {0xC480F0CF064DD592, -3, 0xBFE19EAB99633CD8, I, false},
    {max_finite, 2, 0xBF7453020FF06B39, I, false},
    {plus_inf, 0, quiet_nan, V, false},
    {minus_inf, 0, quiet_nan, V, false},
    {quiet_nan, 0, quiet_nan, 0, false},
};

TEST(TrigEdges, ReductionAtTheBranchValues) {
  for (const reduction_case& c : reduction_cases) {
    double y[2] = {1.0, 1.0};
    clear_flags();
    const int n = __libm__rem_pio2(from_bits(c.x), y);
    const int raised = raised_flags();
    const std::string what = "rem_pio2(" + hex(c.x) + ")";
    EXPECT_EQ(n, c.n) << what;
    expect_same(c.y0, y[0], what);
    if (c.plus_zero_tail) expect_same(plus_zero, y[1], what);
    if (is_nan_bits(c.y0)) expect_same(quiet_nan, y[1], what);
    EXPECT_EQ(raised, c.flags) << what;
  }
}

// 1e22 = (0x878678 + 0x326EAC 2^-24 + 0x900000 2^-48) 2^50; its remainder
// 1e22 - n pi/2 (n = 3 mod 8) in three doubles, from MPFR.
constexpr double chunks_of_1e22[3] = {0x878678, 0x326EAC, 0x900000};
constexpr std::uint64_t remainder_1e22[3] = {0x3FE19EAB99633CD8, 0xBC6269E0FC062C98, 0x39000462E4BDF24C};

TEST(TrigEdges, MultiPrecisionReductionWritesOnlyWhatPAsksFor) {
  const double head = from_bits(remainder_1e22[0]);
  double y[3] = {7.0, 7.0, 7.0};
  // p = 0: three product terms, one double; about 72 bits of product, so
  // some 2^-45 after the 73 integer bits of 1e22 * 2/pi.
  EXPECT_EQ(__libm__rem_pio2m(chunks_of_1e22, y, 50, 3, 0, __libm_TBL_ipio2_inf), 3);
  EXPECT_NEAR(y[0], head, 0x1p-40) << hex(to_bits(y[0]));
  expect_same(to_bits(7.0), y[1], "p = 0 leaves y[1]");
  expect_same(to_bits(7.0), y[2], "p = 0 leaves y[2]");

  // p = 2, as the entry function calls it: five terms, 120 bits of product
  // down to about 2^-95, in two doubles.
  y[0] = y[1] = y[2] = 7.0;
  EXPECT_EQ(__libm__rem_pio2m(chunks_of_1e22, y, 50, 3, 2, __libm_TBL_ipio2_inf), 3);
  expect_same(remainder_1e22[0], y[0], "p = 2, y[0]");
  EXPECT_NEAR(y[1], from_bits(remainder_1e22[1]), 0x1p-90) << hex(to_bits(y[1]));
  expect_same(to_bits(7.0), y[2], "p = 2 leaves y[2]");

  // p = 3: seven product terms, three doubles, the sum good to some 2^-140.
  y[0] = y[1] = y[2] = 7.0;
  EXPECT_EQ(__libm__rem_pio2m(chunks_of_1e22, y, 50, 3, 3, __libm_TBL_ipio2_inf), 3);
  expect_same(remainder_1e22[0], y[0], "p = 3, y[0]");
  expect_same(remainder_1e22[1], y[1], "p = 3, y[1]");
  EXPECT_NEAR(y[2], from_bits(remainder_1e22[2]), 0x1p-135) << hex(to_bits(y[2]));
}

}  // namespace
