// The error handler every math function calls when it meets an error: it fills
// the SVID exception record, raises the row's IEEE exception, consults matherr,
// writes the SVID message, sets errno and returns the value of the mode.
#include <cstdio>
#include <cstring>
#include <unistd.h>

#include "libm_internal.h"

namespace {

constexpr int svid_mode = 0;
constexpr int ansi_mode = 1;
constexpr int strict_ansi_mode = 2;

constexpr int first_code = 1;
constexpr int last_code = 44;

constexpr double huge_single = double_from_bits(0x47EFFFFFE0000000);  // SVID's HUGE
constexpr double huge_val = double_from_bits(0x7FF0000000000000);
constexpr double NaNx = double_from_bits(0x7FFFFFFFFFFFFFFF);
constexpr double PI_RZx = double_from_bits(0x400921FB54442D18);
constexpr double one = 1.0;
constexpr double zero = 0.0;

constexpr std::uint64_t sign_bit = 0x8000000000000000;
constexpr std::uint64_t exponent_bits = 0x7FF0000000000000;
constexpr std::uint64_t fraction_bits = 0x000FFFFFFFFFFFFF;
constexpr std::uint64_t quiet_bit = 0x0008000000000000;

// The row's IEEE result and the exception raised to get it.
enum ieee_kind : unsigned char {
  ieee_invalid,            // invalid, +NaNx
  ieee_div0_neg,           // division by zero, -inf
  ieee_div0_pos,           // division by zero, +inf
  ieee_div0_sign_x,        // division by zero, inf with the sign of x
  ieee_overflow_pos,       // overflow, +inf
  ieee_overflow_sign_x,    // overflow, inf with the sign of x
  ieee_overflow_pow,       // overflow, -inf for a negative x and odd integral y
  ieee_underflow_pos,      // underflow, +0
  ieee_underflow_sign_x,   // underflow, 0 with the sign of x
  ieee_underflow_pow,      // underflow, -0 for a negative x and odd integral y
  ieee_div0_pow,           // division by zero, -inf for x = -0 and odd integral y
  ieee_atan2,              // no exception: ±PI_RZx signed like y when x is negative, else y
  ieee_inf_pos,            // no exception: +inf
  ieee_inf_sign_x,         // no exception: inf with the sign of x
  ieee_one,                // no exception: 1
  ieee_y,                  // no exception: y
  ieee_zero,               // no exception: +0
  ieee_nan_unless_quiet,   // NaNx; invalid unless x is a quiet NaN
};

// What retval starts as.
enum value_kind : unsigned char {
  value_zero,
  value_one,
  value_huge,
  value_neg_huge,
  value_huge_val,
  value_neg_huge_val,
  value_ieee,
  value_x,
  value_nan,
  value_huge_by_x,       // HUGE when x > 0, else -HUGE
  value_huge_val_by_x,   // HUGE_VAL when x > 0, else -HUGE_VAL
  value_huge_pow,        // HUGE signed like the true power
  value_huge_val_pow,    // HUGE_VAL signed like the true power
};

enum errno_kind : unsigned char {
  errno_edom,
  errno_erange,
  errno_edom_svid_else_erange,
  errno_edom_svid_ansi_only,
};

enum message_kind : unsigned char { message_none, message_text, message_tloss };

struct error_row {
  int kind;
  ieee_kind ieee;
  value_kind svid_value;
  value_kind ansi_value;
  errno_kind errno_value;
  message_kind message_form;
  const char* message;
};

// One storage per code, even where the texts repeat: the record's name
// identifies the code to matherr.
const char code_names[last_code][10] = {
    "acos", "asin", "atan2", "hypot", "cosh", "exp", "exp", "y0", "y0", "y1", "y1",
    "yn", "yn", "lgamma", "lgamma", "log", "log", "log10", "log10", "pow", "pow", "pow",
    "pow", "pow", "sinh", "sqrt", "fmod", "remainder", "acosh", "atanh", "atanh", "scalb", "scalb",
    "j0", "y0", "j1", "y1", "jn", "yn", "gamma", "gamma", "pow", "log1p", "log1p",
};

const char tloss_tail[] = ": TLOSS error\n";

const error_row error_rows[last_code] = {
    /*  1 */ {DOMAIN, ieee_invalid, value_zero, value_zero, errno_edom, message_text, "acos: DOMAIN error\n"},
    /*  2 */ {DOMAIN, ieee_invalid, value_zero, value_zero, errno_edom, message_text, "asin: DOMAIN error\n"},
    /*  3 */ {DOMAIN, ieee_atan2, value_zero, value_zero, errno_edom, message_text, "atan2: DOMAIN error\n"},
    /*  4 */ {OVERFLOW, ieee_inf_pos, value_huge, value_huge_val, errno_erange, message_none, nullptr},
    /*  5 */ {OVERFLOW, ieee_overflow_pos, value_huge, value_huge_val, errno_erange, message_none, nullptr},
    /*  6 */ {OVERFLOW, ieee_overflow_pos, value_huge, value_huge_val, errno_erange, message_none, nullptr},
    /*  7 */ {UNDERFLOW, ieee_underflow_pos, value_zero, value_zero, errno_erange, message_none, nullptr},
    /*  8 */ {DOMAIN, ieee_div0_neg, value_neg_huge, value_neg_huge_val, errno_edom, message_text, "y0: DOMAIN error\n"},
    /*  9 */ {DOMAIN, ieee_invalid, value_neg_huge, value_neg_huge_val, errno_edom, message_text, "y0: DOMAIN error\n"},
    /* 10 */ {DOMAIN, ieee_div0_neg, value_neg_huge, value_neg_huge_val, errno_edom, message_text, "y1: DOMAIN error\n"},
    /* 11 */ {DOMAIN, ieee_invalid, value_neg_huge, value_neg_huge_val, errno_edom, message_text, "y1: DOMAIN error\n"},
    /* 12 */ {DOMAIN, ieee_div0_neg, value_neg_huge, value_neg_huge_val, errno_edom, message_text, "yn: DOMAIN error\n"},
    /* 13 */ {DOMAIN, ieee_invalid, value_neg_huge, value_neg_huge_val, errno_edom, message_text, "yn: DOMAIN error\n"},
    /* 14 */ {OVERFLOW, ieee_overflow_pos, value_huge, value_huge_val, errno_erange, message_none, nullptr},
    /* 15 */ {SING, ieee_div0_pos, value_huge, value_huge_val, errno_edom, message_text, "lgamma: SING error\n"},
    /* 16 */ {SING, ieee_div0_neg, value_neg_huge, value_neg_huge_val, errno_edom_svid_else_erange, message_text, "log: SING error\n"},
    /* 17 */ {DOMAIN, ieee_invalid, value_neg_huge, value_neg_huge_val, errno_edom, message_text, "log: DOMAIN error\n"},
    /* 18 */ {SING, ieee_div0_neg, value_neg_huge, value_neg_huge_val, errno_edom_svid_else_erange, message_text, "log10: SING error\n"},
    /* 19 */ {DOMAIN, ieee_invalid, value_neg_huge, value_neg_huge_val, errno_edom, message_text, "log10: DOMAIN error\n"},
    /* 20 */ {DOMAIN, ieee_one, value_zero, value_one, errno_edom, message_text, "pow(0,0): DOMAIN error\n"},
    /* 21 */ {OVERFLOW, ieee_overflow_pow, value_huge_pow, value_huge_val_pow, errno_erange, message_none, nullptr},
    /* 22 */ {UNDERFLOW, ieee_underflow_pow, value_ieee, value_ieee, errno_erange, message_none, nullptr},
    /* 23 */ {DOMAIN, ieee_div0_pow, value_zero, value_neg_huge_val, errno_edom, message_text, "pow(0,neg): DOMAIN error\n"},
    /* 24 */ {DOMAIN, ieee_invalid, value_zero, value_ieee, errno_edom, message_text, "neg**non-integral: DOMAIN error\n"},
    /* 25 */ {OVERFLOW, ieee_inf_sign_x, value_huge_by_x, value_huge_val_by_x, errno_erange, message_none, nullptr},
    /* 26 */ {DOMAIN, ieee_invalid, value_zero, value_ieee, errno_edom, message_text, "sqrt: DOMAIN error\n"},
    /* 27 */ {DOMAIN, ieee_nan_unless_quiet, value_x, value_ieee, errno_edom, message_text, "fmod:  DOMAIN error\n"},
    /* 28 */ {DOMAIN, ieee_nan_unless_quiet, value_nan, value_nan, errno_edom, message_text, "remainder: DOMAIN error\n"},
    /* 29 */ {DOMAIN, ieee_invalid, value_nan, value_nan, errno_edom, message_text, "acosh: DOMAIN error\n"},
    /* 30 */ {DOMAIN, ieee_invalid, value_nan, value_nan, errno_edom, message_text, "atanh: DOMAIN error\n"},
    /* 31 */ {SING, ieee_div0_sign_x, value_ieee, value_ieee, errno_edom_svid_else_erange, message_text, "atanh: SING error\n"},
    /* 32 */ {OVERFLOW, ieee_overflow_sign_x, value_huge_val_by_x, value_huge_val_by_x, errno_erange, message_none, nullptr},
    /* 33 */ {UNDERFLOW, ieee_underflow_sign_x, value_ieee, value_ieee, errno_erange, message_none, nullptr},
    /* 34 */ {TLOSS, ieee_y, value_zero, value_zero, errno_erange, message_tloss, tloss_tail},
    /* 35 */ {TLOSS, ieee_y, value_zero, value_zero, errno_erange, message_tloss, tloss_tail},
    /* 36 */ {TLOSS, ieee_y, value_zero, value_zero, errno_erange, message_tloss, tloss_tail},
    /* 37 */ {TLOSS, ieee_y, value_zero, value_zero, errno_erange, message_tloss, tloss_tail},
    /* 38 */ {TLOSS, ieee_zero, value_zero, value_zero, errno_erange, message_tloss, tloss_tail},
    /* 39 */ {TLOSS, ieee_zero, value_zero, value_zero, errno_erange, message_tloss, tloss_tail},
    /* 40 */ {OVERFLOW, ieee_overflow_pos, value_huge, value_huge_val, errno_erange, message_none, nullptr},
    /* 41 */ {SING, ieee_div0_pos, value_huge, value_huge_val, errno_edom, message_text, "gamma: SING error\n"},
    /* 42 */ {DOMAIN, ieee_one, value_x, value_x, errno_edom_svid_ansi_only, message_none, nullptr},
    /* 43 */ {SING, ieee_div0_neg, value_neg_huge, value_neg_huge_val, errno_edom_svid_else_erange, message_text, "log1p: SING error\n"},
    /* 44 */ {DOMAIN, ieee_invalid, value_ieee, value_ieee, errno_edom, message_text, "log1p: DOMAIN error\n"},
};

// Sign and class tests on the bits, so that no comparison raises a flag of its own.
bool sign_bit_set(double x) { return (double_bits(x) & sign_bit) != 0; }

bool greater_than_zero(double x) {
  std::uint64_t bits = double_bits(x);
  return bits != 0 && bits <= exponent_bits;
}

bool is_quiet_nan(double x) {
  std::uint64_t bits = double_bits(x);
  return (bits & exponent_bits) == exponent_bits && (bits & quiet_bit) != 0;
}

// Integral and odd; |y| >= 2^53, infinities and NaNs never count.
bool is_odd_integer(double y) {
  std::uint64_t bits = double_bits(y);
  int exponent = static_cast<int>((bits & exponent_bits) >> 52) - 1023;
  if (exponent < 0 || exponent > 52) return false;
  std::uint64_t significand = (bits & fraction_bits) | (fraction_bits + 1);
  std::uint64_t units_bit = std::uint64_t{1} << (52 - exponent);
  return (significand & (units_bit - 1)) == 0 && (significand & units_bit) != 0;
}

bool power_is_negative(double x, double y) { return sign_bit_set(x) && is_odd_integer(y); }

double with_sign_of(double magnitude, double sign_of) {
  return double_from_bits((double_bits(magnitude) & ~sign_bit) | (double_bits(sign_of) & sign_bit));
}

double negated_if(bool negate, double value) { return negate ? with_sign_of(value, -one) : value; }

// n: 0 division by zero, 1 underflow, 2 overflow, 3 invalid. Only the sign of x is used.
double setexception(int n, double x) {
  switch (n) {
    case 0: return __libm_fe_divbyzero(x);
    case 1: return __libm_fe_underflow(x);
    case 2: return __libm_fe_overflow(x);
    default: return __libm_fe_invalid(x);
  }
}

double ieee_result_of(ieee_kind kind, double x, double y) {
  switch (kind) {
    case ieee_invalid: return setexception(3, one);
    case ieee_div0_neg: return setexception(0, -one);
    case ieee_div0_pos: return setexception(0, one);
    case ieee_div0_sign_x: return setexception(0, x);
    case ieee_overflow_pos: return setexception(2, one);
    case ieee_overflow_sign_x: return setexception(2, x);
    case ieee_overflow_pow: return setexception(2, power_is_negative(x, y) ? -one : one);
    case ieee_underflow_pos: return setexception(1, one);
    case ieee_underflow_sign_x: return setexception(1, x);
    case ieee_underflow_pow: return setexception(1, power_is_negative(x, y) ? -one : one);
    case ieee_div0_pow: return setexception(0, power_is_negative(x, y) ? -one : one);
    case ieee_atan2: return sign_bit_set(x) ? with_sign_of(PI_RZx, y) : y;
    case ieee_inf_pos: return huge_val;
    case ieee_inf_sign_x: return with_sign_of(huge_val, x);
    case ieee_one: return one;
    case ieee_y: return y;
    case ieee_zero: return zero;
    case ieee_nan_unless_quiet: return is_quiet_nan(x) ? NaNx : setexception(3, one);
  }
  return NaNx;
}

double value_of(value_kind kind, double x, double y, double ieee_result) {
  switch (kind) {
    case value_zero: return zero;
    case value_one: return one;
    case value_huge: return huge_single;
    case value_neg_huge: return -huge_single;
    case value_huge_val: return huge_val;
    case value_neg_huge_val: return -huge_val;
    case value_ieee: return ieee_result;
    case value_x: return x;
    case value_nan: return NaNx;
    case value_huge_by_x: return greater_than_zero(x) ? huge_single : -huge_single;
    case value_huge_val_by_x: return greater_than_zero(x) ? huge_val : -huge_val;
    case value_huge_pow: return negated_if(power_is_negative(x, y), huge_single);
    case value_huge_val_pow: return negated_if(power_is_negative(x, y), huge_val);
  }
  return NaNx;
}

void store_errno(const error_row& row, int mode) {
  switch (row.errno_value) {
    case errno_edom: *__libm_errno() = LIBM_EDOM; break;
    case errno_erange: *__libm_errno() = LIBM_ERANGE; break;
    case errno_edom_svid_else_erange: *__libm_errno() = mode == svid_mode ? LIBM_EDOM : LIBM_ERANGE; break;
    case errno_edom_svid_ansi_only:
      if (mode == svid_mode || mode == ansi_mode) *__libm_errno() = LIBM_EDOM;
      break;
  }
}

// Raw writes on descriptor 2, bypassing the standard streams; failures lose the message only.
void write_raw(const char* text, std::size_t length) {
  [[maybe_unused]] ssize_t written = write(2, text, length);
}

void write_message(const error_row& row, const struct exception& record) {
  switch (row.message_form) {
    case message_none: break;
    case message_text: write_raw(row.message, std::strlen(row.message)); break;
    case message_tloss:
      // The name as matherr left it, whole: a hook may point it at a string of any length.
      if (record.name != nullptr) write_raw(record.name, std::strlen(record.name));
      write_raw(row.message, std::strlen(row.message));
      break;
  }
}

}  // namespace

double __libm_SVID_libm_err(double x, double y, int type) noexcept {
  const int mode = _lib_version;
  if (mode == svid_mode) std::fflush(stdout);
  // No caller passes another code; a NaN (raising nothing) keeps a wrong code
  // from passing for a plausible result.
  if (type < first_code || type > last_code) return NaNx;
  const error_row& row = error_rows[type - first_code];

  // pow(0, 0) is an error in SVID mode only; pow(NaN, 0) is none in strict ANSI mode.
  if (type == 20 && mode != svid_mode) return one;
  if (type == 42 && mode == strict_ansi_mode) return one;

  struct exception record;
  record.type = row.kind;
  record.name = const_cast<char*>(code_names[type - first_code]);
  record.arg1 = type == 3 ? y : x;  // atan2(y, x) passes x first
  record.arg2 = type == 3 ? x : y;
  const double ieee_result = ieee_result_of(row.ieee, x, y);
  record.retval = value_of(mode == svid_mode ? row.svid_value : row.ansi_value, x, y, ieee_result);

  if (mode == strict_ansi_mode) {
    store_errno(row, mode);
  } else if (matherr(&record) == 0) {
    if (mode == svid_mode) write_message(row, record);
    store_errno(row, mode);
  }
  if (mode == svid_mode || mode == ansi_mode || mode == strict_ansi_mode) return record.retval;
  return ieee_result;
}
