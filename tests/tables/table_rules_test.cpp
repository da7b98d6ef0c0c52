// Every row of every table obeys its rule. The exact values are recomputed here
// with MPFR at a higher precision and by other routes than the generator's
// (points from their arithmetic description, sin/cos for tan, log2 via ln, ...);
// the hi/lo checks compare distances to neighbouring doubles instead of rounding.
#include <gtest/gtest.h>
#include <mpfr.h>

#include <cstdint>
#include <string>
#include <vector>

#include "exp_tables.h"
#include "libm_bits.h"
#include "libm_tables.h"
#include "log_tables.h"
#include "pio2_inf.h"

namespace {

constexpr mpfr_prec_t CHECK_BITS = 400;
// Differences of a double and a CHECK_BITS value are exact at this precision.
constexpr mpfr_prec_t DIFF_BITS = CHECK_BITS + 1200;

double next_up(double x) {
  if (x == 0.0) return double_from_bits(1);
  return x > 0.0 ? double_from_bits(double_bits(x) + 1) : double_from_bits(double_bits(x) - 1);
}
double next_down(double x) { return -next_up(-x); }
double next_away_from_zero(double x) { return x > 0.0 ? next_up(x) : next_down(x); }

// |x - v| compared with |y - v|: negative when x is closer.
int compare_distance(double x, double y, const mpfr_t v) {
  mpfr_t dx, dy;
  mpfr_inits2(DIFF_BITS, dx, dy, static_cast<mpfr_ptr>(nullptr));
  mpfr_set_d(dx, x, MPFR_RNDN);
  mpfr_sub(dx, dx, v, MPFR_RNDN);
  mpfr_abs(dx, dx, MPFR_RNDN);
  mpfr_set_d(dy, y, MPFR_RNDN);
  mpfr_sub(dy, dy, v, MPFR_RNDN);
  mpfr_abs(dy, dy, MPFR_RNDN);
  const int order = mpfr_cmp(dx, dy);
  mpfr_clears(dx, dy, static_cast<mpfr_ptr>(nullptr));
  return order;
}

int sign_of_difference(double x, const mpfr_t v) { return -mpfr_cmp_d(v, x); }

bool is_nearest(double x, const mpfr_t v) {
  return compare_distance(x, next_up(x), v) <= 0 && compare_distance(x, next_down(x), v) <= 0;
}

double neighbour_toward(double x, const mpfr_t v) { return sign_of_difference(x, v) > 0 ? next_down(x) : next_up(x); }

// The second-nearest double: its neighbour toward v is the nearest and lies on v's other side.
bool is_other_side_neighbour(double x, const mpfr_t v) {
  const double neighbour = neighbour_toward(x, v);
  return !is_nearest(x, v) && is_nearest(neighbour, v) &&
         sign_of_difference(x, v) * sign_of_difference(neighbour, v) < 0;
}

bool within_one_ulp(double x, const mpfr_t v) {
  const int side = sign_of_difference(x, v);
  return side == 0 || sign_of_difference(neighbour_toward(x, v), v) != side;
}

// |hi + lo - v| <= 2^-106 |v|.
bool sum_within_2m106(double hi, double lo, const mpfr_t v) {
  mpfr_t error, bound;
  mpfr_inits2(DIFF_BITS, error, bound, static_cast<mpfr_ptr>(nullptr));
  mpfr_set_d(error, hi, MPFR_RNDN);
  mpfr_add_d(error, error, lo, MPFR_RNDN);
  mpfr_sub(error, error, v, MPFR_RNDN);
  mpfr_abs(error, error, MPFR_RNDN);
  mpfr_abs(bound, v, MPFR_RNDN);
  mpfr_div_2ui(bound, bound, 106, MPFR_RNDN);
  const bool ok = mpfr_lessequal_p(error, bound);
  mpfr_clears(error, bound, static_cast<mpfr_ptr>(nullptr));
  return ok;
}

// |hi - v| <= 0.52 ulp(hi).
bool within_052_ulp(double hi, const mpfr_t v) {
  mpfr_t error, ulp;
  mpfr_inits2(DIFF_BITS, error, ulp, static_cast<mpfr_ptr>(nullptr));
  mpfr_set_d(error, hi, MPFR_RNDN);
  mpfr_sub(error, error, v, MPFR_RNDN);
  mpfr_abs(error, error, MPFR_RNDN);
  mpfr_set_d(ulp, next_away_from_zero(hi), MPFR_RNDN);
  mpfr_sub_d(ulp, ulp, hi, MPFR_RNDN);
  mpfr_abs(ulp, ulp, MPFR_RNDN);
  mpfr_mul_d(ulp, ulp, 0.52, MPFR_RNDN);
  const bool ok = mpfr_lessequal_p(error, ulp);
  mpfr_clears(error, ulp, static_cast<mpfr_ptr>(nullptr));
  return ok;
}

// ---------------------------------------------------------------- exact values

// 2^e * (1 + m/d) for the point descriptions of the tables.
void set_point(mpfr_t out, long e, long m, long d) {
  mpfr_set_si(out, d + m, MPFR_RNDN);
  mpfr_div_ui(out, out, d, MPFR_RNDN);
  mpfr_mul_2si(out, out, e, MPFR_RNDN);
}

// Trig breakpoints: 0.15625 + k/256 (rows 0-23), 0.25 + k/128 (24-55), 0.5 + k/64 (56-74).
void trig_point(mpfr_t x, int i) {
  const int k = i < 24 ? i : i < 56 ? i - 24 : i - 56;
  const unsigned long step = i < 24 ? 256 : i < 56 ? 128 : 64;
  const double start = i < 24 ? 0.15625 : i < 56 ? 0.25 : 0.5;
  mpfr_set_si(x, k, MPFR_RNDN);
  mpfr_div_ui(x, x, step, MPFR_RNDN);
  mpfr_add_d(x, x, start, MPFR_RNDN);
}

void exact_sin(mpfr_t out, int i) {
  mpfr_t x, c;
  mpfr_inits2(CHECK_BITS, x, c, static_cast<mpfr_ptr>(nullptr));
  trig_point(x, i);
  mpfr_sin_cos(out, c, x, MPFR_RNDN);
  mpfr_clears(x, c, static_cast<mpfr_ptr>(nullptr));
}
void exact_cos(mpfr_t out, int i) {
  mpfr_t x, s;
  mpfr_inits2(CHECK_BITS, x, s, static_cast<mpfr_ptr>(nullptr));
  trig_point(x, i);
  mpfr_sin_cos(s, out, x, MPFR_RNDN);
  mpfr_clears(x, s, static_cast<mpfr_ptr>(nullptr));
}
void exact_tan(mpfr_t out, int i) {
  mpfr_t x, c;
  mpfr_inits2(CHECK_BITS + 20, x, c, static_cast<mpfr_ptr>(nullptr));
  trig_point(x, i);
  mpfr_sin_cos(out, c, x, MPFR_RNDN);
  mpfr_div(out, out, c, MPFR_RNDN);
  mpfr_clears(x, c, static_cast<mpfr_ptr>(nullptr));
}
void exact_atan(mpfr_t out, int k) {
  mpfr_t y, one;
  mpfr_inits2(CHECK_BITS, y, one, static_cast<mpfr_ptr>(nullptr));
  set_point(y, k / 16 - 3, k % 16, 16);
  mpfr_set_ui(one, 1, MPFR_RNDN);
  mpfr_atan2(out, y, one, MPFR_RNDN);
  mpfr_clears(y, one, static_cast<mpfr_ptr>(nullptr));
}
// ln y = log2 y * ln 2.
void exact_log(mpfr_t out, int k) {
  mpfr_t y, ln2;
  mpfr_inits2(CHECK_BITS + 20, y, ln2, static_cast<mpfr_ptr>(nullptr));
  set_point(y, (k + 16) / 32 - 4, (k + 16) % 32, 32);
  mpfr_log2(out, y, MPFR_RNDN);
  mpfr_const_log2(ln2, MPFR_RNDN);
  mpfr_mul(out, out, ln2, MPFR_RNDN);
  mpfr_clears(y, ln2, static_cast<mpfr_ptr>(nullptr));
}
// log2(1 + j/128) = ln(1 + j/128) / ln 2.
void exact_log2(mpfr_t out, int j) {
  mpfr_t ln2;
  mpfr_init2(ln2, CHECK_BITS + 20);
  mpfr_set_ui(out, j, MPFR_RNDN);
  mpfr_div_ui(out, out, 128, MPFR_RNDN);
  mpfr_log1p(out, out, MPFR_RNDN);
  mpfr_const_log2(ln2, MPFR_RNDN);
  mpfr_div(out, out, ln2, MPFR_RNDN);
  mpfr_clear(ln2);
}
// 2^(j/64) as the 64th root of 2^j.
void exact_exp2(mpfr_t out, int j) {
  mpfr_set_ui_2exp(out, 1, j, MPFR_RNDN);
  mpfr_rootn_ui(out, out, 64, MPFR_RNDN);
}
// 2^(j/32) = e^(j ln2 / 32).
void exact_exp(mpfr_t out, int j) {
  mpfr_t t;
  mpfr_init2(t, CHECK_BITS + 20);
  mpfr_const_log2(t, MPFR_RNDN);
  mpfr_mul_ui(t, t, j, MPFR_RNDN);
  mpfr_div_ui(t, t, 32, MPFR_RNDN);
  mpfr_exp(out, t, MPFR_RNDN);
  mpfr_clear(t);
}
void exact_log_1p32(mpfr_t out, int j) {
  mpfr_set_ui(out, j, MPFR_RNDN);
  mpfr_div_ui(out, out, 32, MPFR_RNDN);
  mpfr_log1p(out, out, MPFR_RNDN);
}

// ---------------------------------------------------------------- rules

enum class Hi { nearest, other_side, below, toward_zero, nearest_high_word };
enum class Lo { nearest, below, toward_zero, exact_side, pinned };

struct RowException {
  int row;
  Hi hi;
  Lo lo;
};

struct TableCase {
  const char* name;
  const double* hi;
  const double* lo;
  int rows;
  void (*exact)(mpfr_t, int);
  Hi plain_hi;
  std::vector<RowException> exceptions;
  bool sum_within_2m106;
  bool hi_within_052_ulp;
};

void PrintTo(const TableCase& table, std::ostream* out) { *out << table.name; }

const RowException* find(const TableCase& table, int row) {
  for (const RowException& exception : table.exceptions) {
    if (exception.row == row) return &exception;
  }
  return nullptr;
}

std::string hi_rule_failure(Hi rule, double hi, const mpfr_t v) {
  switch (rule) {
    case Hi::nearest:
      return is_nearest(hi, v) ? "" : "hi is not the nearest double";
    case Hi::other_side:
      return is_other_side_neighbour(hi, v) ? "" : "hi is not the neighbour on the other side";
    case Hi::below:
      return sign_of_difference(hi, v) < 0 && is_nearest(next_up(hi), v) ? "" : "hi is not the double just below";
    case Hi::toward_zero:
      return !is_nearest(hi, v) && is_nearest(next_away_from_zero(hi), v) ? "" : "hi is not the nearest's neighbour toward zero";
    case Hi::nearest_high_word: {
      const double nearest = mpfr_get_d(v, MPFR_RNDN);
      if (!is_nearest(nearest, v)) return "no nearest double";
      return double_bits(hi) == (double_bits(nearest) & 0xFFFFFFFF00000000u) ? "" : "hi is not the nearest cut to its high word";
    }
  }
  return "unknown rule";
}

std::string lo_rule_failure(Lo rule, double lo, const mpfr_t d) {
  if (!within_one_ulp(lo, d)) return "lo is not within one ulp of the exact difference";
  switch (rule) {
    case Lo::nearest:
      return is_nearest(lo, d) ? "" : "lo is not the nearest double";
    case Lo::below:
      return sign_of_difference(lo, d) < 0 && is_nearest(next_up(lo), d) ? "" : "lo is not the double just below";
    case Lo::toward_zero:
      return !is_nearest(lo, d) && is_nearest(next_away_from_zero(lo), d) ? "" : "lo is not the nearest's neighbour toward zero";
    case Lo::exact_side:
    case Lo::pinned:  // one unit off the nearest, on the exact difference's side
      return is_other_side_neighbour(lo, d) ? "" : "lo is not the nearest's neighbour on the exact side";
  }
  return "unknown rule";
}

class TableRules : public ::testing::TestWithParam<TableCase> {};

TEST_P(TableRules, EveryRowObeysItsRule) {
  const TableCase& table = GetParam();
  mpfr_t v, d;
  mpfr_inits2(DIFF_BITS, v, d, static_cast<mpfr_ptr>(nullptr));
  for (int row = 0; row < table.rows; ++row) {
    mpfr_set_prec(v, CHECK_BITS);
    table.exact(v, row);
    const RowException* exception = find(table, row);
    const double hi = table.hi[row];
    const double lo = table.lo[row];
    EXPECT_EQ(hi_rule_failure(exception ? exception->hi : table.plain_hi, hi, v), "") << table.name << " row " << row;
    mpfr_set_d(d, hi, MPFR_RNDN);
    mpfr_sub(d, v, d, MPFR_RNDN);
    EXPECT_EQ(lo_rule_failure(exception ? exception->lo : Lo::nearest, lo, d), "") << table.name << " row " << row;
    if (table.sum_within_2m106) {
      EXPECT_TRUE(sum_within_2m106(hi, lo, v)) << table.name << " row " << row;
    }
    if (table.hi_within_052_ulp) {
      EXPECT_TRUE(within_052_ulp(hi, v)) << table.name << " row " << row;
    }
  }
  mpfr_clears(v, d, static_cast<mpfr_ptr>(nullptr));
}

const TableCase TABLE_CASES[] = {
    {"sin", __libm_TBL_sin_hi, __libm_TBL_sin_lo, 75, exact_sin, Hi::nearest,
     {{33, Hi::other_side, Lo::nearest}}, false, true},
    {"cos", __libm_TBL_cos_hi, __libm_TBL_cos_lo, 75, exact_cos, Hi::nearest,
     {{1, Hi::nearest, Lo::pinned}, {24, Hi::nearest, Lo::pinned}}, false, true},
    {"tan", __libm_TBL_tan_hi, __libm_TBL_tan_lo, 75, exact_tan, Hi::nearest,
     {{1, Hi::other_side, Lo::nearest}, {37, Hi::other_side, Lo::nearest}, {74, Hi::nearest, Lo::pinned}}, false, true},
    {"atan", __libm_TBL_atan_hi, __libm_TBL_atan_lo, 97, exact_atan, Hi::nearest,
     {{2, Hi::below, Lo::nearest}, {7, Hi::below, Lo::nearest}, {9, Hi::below, Lo::nearest},
      {18, Hi::nearest, Lo::below}, {24, Hi::below, Lo::nearest}, {28, Hi::below, Lo::nearest},
      {31, Hi::below, Lo::nearest}},
     true, false},
    {"log", __libm_TBL_log_hi, __libm_TBL_log_lo, 256, exact_log, Hi::nearest,
     {{108, Hi::toward_zero, Lo::nearest}}, true, false},
    {"log2", __libm_TBL_log2_hi, __libm_TBL_log2_lo, 128, exact_log2, Hi::nearest_high_word, {}, false, false},
    {"exp2", __libm_TBL_exp2_hi, __libm_TBL_exp2_lo, 64, exact_exp2, Hi::nearest,
     {{4, Hi::nearest, Lo::exact_side}, {11, Hi::nearest, Lo::exact_side}, {26, Hi::nearest, Lo::exact_side},
      {39, Hi::toward_zero, Lo::nearest}, {43, Hi::nearest, Lo::exact_side}, {56, Hi::nearest, Lo::exact_side}},
     true, false},
    {"exp", exp_tbl_hi, exp_tbl_lo, 32, exact_exp, Hi::nearest,
     {{2, Hi::nearest, Lo::toward_zero}, {13, Hi::nearest, Lo::toward_zero}, {28, Hi::nearest, Lo::toward_zero}},
     true, false},
};

INSTANTIATE_TEST_SUITE_P(AllPairTables, TableRules, ::testing::ValuesIn(TABLE_CASES),
                         [](const ::testing::TestParamInfo<TableCase>& info) { return std::string(info.param.name); });

// exp2's lo rows with an unnamed neighbour: the chosen one is also toward zero,
// agreeing with exp's lo at the same points (2^(2k/64) = 2^(k/32)).
TEST(TableRules, Exp2AndExpAgreeAtSharedPoints) {
  for (int j = 0; j < 32; ++j) {
    EXPECT_EQ(double_bits(__libm_TBL_exp2_hi[2 * j]), double_bits(exp_tbl_hi[j])) << j;
    EXPECT_EQ(double_bits(__libm_TBL_exp2_lo[2 * j]), double_bits(exp_tbl_lo[j])) << j;
  }
}

TEST(TableRules, ExpDoubledHiIsExactlyTwiceHi) {
  for (int j = 0; j < 32; ++j) {
    // Same significand, exponent one higher.
    EXPECT_EQ(double_bits(exp_tbl_2hi[j]), double_bits(exp_tbl_hi[j]) + (std::uint64_t{1} << 52)) << j;
  }
}

TEST(TableRules, Log2HiHasNoLowWordAndRowZeroIsZero) {
  for (int j = 0; j < 128; ++j) EXPECT_EQ(low_word(__libm_TBL_log2_hi[j]), 0u) << j;
  EXPECT_EQ(double_bits(__libm_TBL_log2_hi[0]), 0u);
  EXPECT_EQ(double_bits(__libm_TBL_log2_lo[0]), 0u);
}

TEST(TableRules, LogOneOver32IsNearest) {
  mpfr_t v;
  mpfr_init2(v, CHECK_BITS);
  for (int j = 0; j < 32; ++j) {
    exact_log_1p32(v, j);
    EXPECT_TRUE(is_nearest(log_tbl32[j], v)) << j;
  }
  mpfr_clear(v);
  EXPECT_EQ(double_bits(log_tbl32[0]), 0u);
}

// 2/pi digit by digit: multiply the fraction by 2^24 and take the integer part.
TEST(TableRules, Ipio2HoldsSuccessive24BitChunksOf2OverPi) {
  mpfr_t fraction, digit;
  mpfr_inits2(2000, fraction, digit, static_cast<mpfr_ptr>(nullptr));
  mpfr_const_pi(fraction, MPFR_RNDN);
  mpfr_ui_div(fraction, 2, fraction, MPFR_RNDN);
  for (int j = 0; j < 66; ++j) {
    mpfr_mul_2ui(fraction, fraction, 24, MPFR_RNDN);
    mpfr_rint_floor(digit, fraction, MPFR_RNDN);
    mpfr_sub(fraction, fraction, digit, MPFR_RNDN);
    EXPECT_EQ(__libm_TBL_ipio2_inf[j], static_cast<int>(mpfr_get_si(digit, MPFR_RNDN))) << j;
    EXPECT_GE(__libm_TBL_ipio2_inf[j], 0) << j;
    EXPECT_LE(__libm_TBL_ipio2_inf[j], 0xFFFFFF) << j;
  }
  mpfr_clears(fraction, digit, static_cast<mpfr_ptr>(nullptr));
}

// Each chunk is an integer below 2^24 times 2^-(24k+23), and the remainder of
// pi/2 after chunk k is below that chunk's last unit.
TEST(TableRules, Pio2InfHoldsSuccessive24BitChunksOfPiOver2) {
  mpfr_t rest, scaled, unit;
  mpfr_inits2(600, rest, scaled, unit, static_cast<mpfr_ptr>(nullptr));
  mpfr_const_pi(rest, MPFR_RNDN);
  mpfr_div_2ui(rest, rest, 1, MPFR_RNDN);
  for (int k = 0; k < 8; ++k) {
    mpfr_set_d(scaled, pio2_inf[k], MPFR_RNDN);
    mpfr_mul_2ui(scaled, scaled, 24 * k + 23, MPFR_RNDN);
    EXPECT_TRUE(mpfr_integer_p(scaled)) << k;
    EXPECT_LT(mpfr_cmp_ui(scaled, 1ul << 24), 0) << k;
    mpfr_sub_d(rest, rest, pio2_inf[k], MPFR_RNDN);
    mpfr_set_ui_2exp(unit, 1, -(24 * k + 23), MPFR_RNDN);
    EXPECT_GE(mpfr_sgn(rest), 0) << k;
    EXPECT_LT(mpfr_cmp(rest, unit), 0) << k;
  }
  mpfr_set_ui_2exp(unit, 1, -190, MPFR_RNDN);
  EXPECT_LT(mpfr_cmp(rest, unit), 0);
  mpfr_clears(rest, scaled, unit, static_cast<mpfr_ptr>(nullptr));
}

}  // namespace
