#include "handler_cases.h"

#include <bit>
#include <cfenv>

namespace {

constexpr double from_bits(std::uint64_t bits) { return std::bit_cast<double>(bits); }

constexpr double quiet_nan = from_bits(bits_quiet_nan);
constexpr double signalling_nan = from_bits(bits_signalling_nan);
constexpr double inf = from_bits(bits_inf);

constexpr unsigned INV = FE_INVALID;
constexpr unsigned DIV = FE_DIVBYZERO;
constexpr unsigned OVF = FE_OVERFLOW | FE_INEXACT;
constexpr unsigned UNF = FE_UNDERFLOW | FE_INEXACT;

constexpr int ED = 33;
constexpr int ER = 34;

constexpr int DOMAIN_ = 1, SING_ = 2, OVERFLOW_ = 3, UNDERFLOW_ = 4, TLOSS_ = 5;

}  // namespace

// errno columns: IEEE, SVID, ANSI, strict ANSI.
const handler_case handler_cases[] = {
    {1, 2.0, 2.0, "acos", DOMAIN_, INV, bits_nanx, bits_zero, bits_zero, {ED, ED, ED, ED}, "acos: DOMAIN error\n"},
    {2, -2.0, -2.0, "asin", DOMAIN_, INV, bits_nanx, bits_zero, bits_zero, {ED, ED, ED, ED}, "asin: DOMAIN error\n"},
    // atan2(y, x) passes (x, y): x = -0 gives ±pi signed like y, else y itself.
    {3, -0.0, 0.0, "atan2", DOMAIN_, 0, bits_pi_rz, bits_zero, bits_zero, {ED, ED, ED, ED}, "atan2: DOMAIN error\n"},
    {3, -0.0, -0.0, "atan2", DOMAIN_, 0, bits_neg_pi_rz, bits_zero, bits_zero, {ED, ED, ED, ED}, "atan2: DOMAIN error\n"},
    {3, 0.0, -0.0, "atan2", DOMAIN_, 0, bits_neg_zero, bits_zero, bits_zero, {ED, ED, ED, ED}, "atan2: DOMAIN error\n"},
    {4, 1e308, 1e308, "hypot", OVERFLOW_, 0, bits_inf, bits_huge, bits_inf, {ER, ER, ER, ER}, nullptr},
    {5, 800.0, 800.0, "cosh", OVERFLOW_, OVF, bits_inf, bits_huge, bits_inf, {ER, ER, ER, ER}, nullptr},
    {6, 1000.0, 1000.0, "exp", OVERFLOW_, OVF, bits_inf, bits_huge, bits_inf, {ER, ER, ER, ER}, nullptr},
    {7, -1000.0, -1000.0, "exp", UNDERFLOW_, UNF, bits_zero, bits_zero, bits_zero, {ER, ER, ER, ER}, nullptr},
    {8, 0.0, 0.0, "y0", DOMAIN_, DIV, bits_neg_inf, bits_neg_huge, bits_neg_inf, {ED, ED, ED, ED}, "y0: DOMAIN error\n"},
    {9, -1.0, -1.0, "y0", DOMAIN_, INV, bits_nanx, bits_neg_huge, bits_neg_inf, {ED, ED, ED, ED}, "y0: DOMAIN error\n"},
    {10, 0.0, 0.0, "y1", DOMAIN_, DIV, bits_neg_inf, bits_neg_huge, bits_neg_inf, {ED, ED, ED, ED}, "y1: DOMAIN error\n"},
    {11, -1.0, -1.0, "y1", DOMAIN_, INV, bits_nanx, bits_neg_huge, bits_neg_inf, {ED, ED, ED, ED}, "y1: DOMAIN error\n"},
    {12, 0.0, 0.0, "yn", DOMAIN_, DIV, bits_neg_inf, bits_neg_huge, bits_neg_inf, {ED, ED, ED, ED}, "yn: DOMAIN error\n"},
    {13, -1.0, -1.0, "yn", DOMAIN_, INV, bits_nanx, bits_neg_huge, bits_neg_inf, {ED, ED, ED, ED}, "yn: DOMAIN error\n"},
    {14, 1e306, 1e306, "lgamma", OVERFLOW_, OVF, bits_inf, bits_huge, bits_inf, {ER, ER, ER, ER}, nullptr},
    {15, -2.0, -2.0, "lgamma", SING_, DIV, bits_inf, bits_huge, bits_inf, {ED, ED, ED, ED}, "lgamma: SING error\n"},
    {16, 0.0, 0.0, "log", SING_, DIV, bits_neg_inf, bits_neg_huge, bits_neg_inf, {ER, ED, ER, ER}, "log: SING error\n"},
    {16, -0.0, -0.0, "log", SING_, DIV, bits_neg_inf, bits_neg_huge, bits_neg_inf, {ER, ED, ER, ER}, "log: SING error\n"},
    {17, -1.0, -1.0, "log", DOMAIN_, INV, bits_nanx, bits_neg_huge, bits_neg_inf, {ED, ED, ED, ED}, "log: DOMAIN error\n"},
    {18, 0.0, 0.0, "log10", SING_, DIV, bits_neg_inf, bits_neg_huge, bits_neg_inf, {ER, ED, ER, ER}, "log10: SING error\n"},
    {19, -1.0, -1.0, "log10", DOMAIN_, INV, bits_nanx, bits_neg_huge, bits_neg_inf, {ED, ED, ED, ED}, "log10: DOMAIN error\n"},
    // pow(0, 0): an error in SVID mode only; 1 unreported elsewhere.
    {20, 0.0, 0.0, "pow", DOMAIN_, 0, bits_one, bits_zero, bits_one, {0, ED, 0, 0}, "pow(0,0): DOMAIN error\n"},
    {21, -10.0, 401.0, "pow", OVERFLOW_, OVF, bits_neg_inf, bits_neg_huge, bits_neg_inf, {ER, ER, ER, ER}, nullptr},
    {21, -10.0, 400.0, "pow", OVERFLOW_, OVF, bits_inf, bits_huge, bits_inf, {ER, ER, ER, ER}, nullptr},
    {21, 10.0, 401.0, "pow", OVERFLOW_, OVF, bits_inf, bits_huge, bits_inf, {ER, ER, ER, ER}, nullptr},
    {21, -10.0, 401.5, "pow", OVERFLOW_, OVF, bits_inf, bits_huge, bits_inf, {ER, ER, ER, ER}, nullptr},
    // 2^53 + 2 and larger never count as odd
    {21, -1.5, 9007199254740994.0, "pow", OVERFLOW_, OVF, bits_inf, bits_huge, bits_inf, {ER, ER, ER, ER}, nullptr},
    {21, -1.5, 9007199254740991.0, "pow", OVERFLOW_, OVF, bits_neg_inf, bits_neg_huge, bits_neg_inf, {ER, ER, ER, ER}, nullptr},
    {21, -1.5, inf, "pow", OVERFLOW_, OVF, bits_inf, bits_huge, bits_inf, {ER, ER, ER, ER}, nullptr},
    {22, -10.0, -401.0, "pow", UNDERFLOW_, UNF, bits_neg_zero, bits_neg_zero, bits_neg_zero, {ER, ER, ER, ER}, nullptr},
    {22, -10.0, -400.0, "pow", UNDERFLOW_, UNF, bits_zero, bits_zero, bits_zero, {ER, ER, ER, ER}, nullptr},
    {23, -0.0, -3.0, "pow", DOMAIN_, DIV, bits_neg_inf, bits_zero, bits_neg_inf, {ED, ED, ED, ED}, "pow(0,neg): DOMAIN error\n"},
    {23, 0.0, -1.0, "pow", DOMAIN_, DIV, bits_inf, bits_zero, bits_neg_inf, {ED, ED, ED, ED}, "pow(0,neg): DOMAIN error\n"},
    {23, -0.0, -2.0, "pow", DOMAIN_, DIV, bits_inf, bits_zero, bits_neg_inf, {ED, ED, ED, ED}, "pow(0,neg): DOMAIN error\n"},
    {24, -8.0, 0.5, "pow", DOMAIN_, INV, bits_nanx, bits_zero, bits_nanx, {ED, ED, ED, ED}, "neg**non-integral: DOMAIN error\n"},
    {25, 800.0, 800.0, "sinh", OVERFLOW_, 0, bits_inf, bits_huge, bits_inf, {ER, ER, ER, ER}, nullptr},
    {25, -800.0, -800.0, "sinh", OVERFLOW_, 0, bits_neg_inf, bits_neg_huge, bits_neg_inf, {ER, ER, ER, ER}, nullptr},
    {26, -1.0, -1.0, "sqrt", DOMAIN_, INV, bits_nanx, bits_zero, bits_nanx, {ED, ED, ED, ED}, "sqrt: DOMAIN error\n"},
    {27, 5.0, 0.0, "fmod", DOMAIN_, INV, bits_nanx, bits_five, bits_nanx, {ED, ED, ED, ED}, "fmod:  DOMAIN error\n"},
    {27, quiet_nan, 0.0, "fmod", DOMAIN_, 0, bits_nanx, bits_quiet_nan, bits_nanx, {ED, ED, ED, ED}, "fmod:  DOMAIN error\n"},
    {27, signalling_nan, -0.0, "fmod", DOMAIN_, INV, bits_nanx, bits_signalling_nan, bits_nanx, {ED, ED, ED, ED}, "fmod:  DOMAIN error\n"},
    {27, inf, 0.0, "fmod", DOMAIN_, INV, bits_nanx, bits_inf, bits_nanx, {ED, ED, ED, ED}, "fmod:  DOMAIN error\n"},
    {28, 5.0, 0.0, "remainder", DOMAIN_, INV, bits_nanx, bits_nanx, bits_nanx, {ED, ED, ED, ED}, "remainder: DOMAIN error\n"},
    {28, quiet_nan, 0.0, "remainder", DOMAIN_, 0, bits_nanx, bits_nanx, bits_nanx, {ED, ED, ED, ED}, "remainder: DOMAIN error\n"},
    {29, 0.5, 0.5, "acosh", DOMAIN_, INV, bits_nanx, bits_nanx, bits_nanx, {ED, ED, ED, ED}, "acosh: DOMAIN error\n"},
    {30, 2.0, 2.0, "atanh", DOMAIN_, INV, bits_nanx, bits_nanx, bits_nanx, {ED, ED, ED, ED}, "atanh: DOMAIN error\n"},
    {31, 1.0, 1.0, "atanh", SING_, DIV, bits_inf, bits_inf, bits_inf, {ER, ED, ER, ER}, "atanh: SING error\n"},
    {31, -1.0, -1.0, "atanh", SING_, DIV, bits_neg_inf, bits_neg_inf, bits_neg_inf, {ER, ED, ER, ER}, "atanh: SING error\n"},
    {32, 1e308, 1e308, "scalb", OVERFLOW_, OVF, bits_inf, bits_inf, bits_inf, {ER, ER, ER, ER}, nullptr},
    {32, -1e308, 1e308, "scalb", OVERFLOW_, OVF, bits_neg_inf, bits_neg_inf, bits_neg_inf, {ER, ER, ER, ER}, nullptr},
    {33, 1e-308, -1e308, "scalb", UNDERFLOW_, UNF, bits_zero, bits_zero, bits_zero, {ER, ER, ER, ER}, nullptr},
    {33, -1e-308, -1e308, "scalb", UNDERFLOW_, UNF, bits_neg_zero, bits_neg_zero, bits_neg_zero, {ER, ER, ER, ER}, nullptr},
    {34, 1e300, 0.25, "j0", TLOSS_, 0, bits_quarter, bits_zero, bits_zero, {ER, ER, ER, ER}, "j0: TLOSS error\n"},
    {35, 1e300, 0.25, "y0", TLOSS_, 0, bits_quarter, bits_zero, bits_zero, {ER, ER, ER, ER}, "y0: TLOSS error\n"},
    {36, 1e300, 0.25, "j1", TLOSS_, 0, bits_quarter, bits_zero, bits_zero, {ER, ER, ER, ER}, "j1: TLOSS error\n"},
    {37, 1e300, 0.25, "y1", TLOSS_, 0, bits_quarter, bits_zero, bits_zero, {ER, ER, ER, ER}, "y1: TLOSS error\n"},
    {38, 1e300, 0.25, "jn", TLOSS_, 0, bits_zero, bits_zero, bits_zero, {ER, ER, ER, ER}, "jn: TLOSS error\n"},
    {39, 1e300, 0.25, "yn", TLOSS_, 0, bits_zero, bits_zero, bits_zero, {ER, ER, ER, ER}, "yn: TLOSS error\n"},
    {40, 200.0, 200.0, "gamma", OVERFLOW_, OVF, bits_inf, bits_huge, bits_inf, {ER, ER, ER, ER}, nullptr},
    {41, -3.0, -3.0, "gamma", SING_, DIV, bits_inf, bits_huge, bits_inf, {ED, ED, ED, ED}, "gamma: SING error\n"},
    // pow(NaN, 0): retval x; strict ANSI returns 1 unreported; errno only in SVID and ANSI.
    {42, quiet_nan, 0.0, "pow", DOMAIN_, 0, bits_one, bits_quiet_nan, bits_quiet_nan, {0, ED, ED, 0}, nullptr},
    {43, -1.0, -1.0, "log1p", SING_, DIV, bits_neg_inf, bits_neg_huge, bits_neg_inf, {ER, ED, ER, ER}, "log1p: SING error\n"},
    {44, -2.0, -2.0, "log1p", DOMAIN_, INV, bits_nanx, bits_nanx, bits_nanx, {ED, ED, ED, ED}, "log1p: DOMAIN error\n"},
};

const int handler_case_count = sizeof handler_cases / sizeof handler_cases[0];
