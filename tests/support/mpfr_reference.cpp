#include "mpfr_reference.h"
#include "accuracy_sets.h"

#include <bit>
#include <cfenv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace {

constexpr mpfr_prec_t exact_bits = 256;

// MPFR's exponent convention: a double's significand lies in [0.5, 1), so
// the smallest subnormal is 0.5 * 2^-1073 and the overflow limit 2^1024.
constexpr mpfr_exp_t double_emin = -1073;
constexpr mpfr_exp_t double_emax = 1024;

// MPFR is integer code, but its conversions from and to double must not see
// a directed rounding mode: keep round-to-nearest while it runs.
struct nearest_scope {
  int saved;
};
nearest_scope enter_nearest() {
  nearest_scope scope{std::fegetround()};
  std::fesetround(FE_TONEAREST);
  return scope;
}
void leave_nearest(nearest_scope scope) { std::fesetround(scope.saved); }

// Rounds `value` (already rounded to 53 bits with ternary `inexact`) into the
// double format, subnormals included, and converts it.
double to_double(mpfr_t value, int inexact, mpfr_rnd_t rounding) {
  const mpfr_exp_t old_emin = mpfr_get_emin();
  const mpfr_exp_t old_emax = mpfr_get_emax();
  mpfr_set_emin(double_emin);
  mpfr_set_emax(double_emax);
  inexact = mpfr_check_range(value, inexact, rounding);
  mpfr_subnormalize(value, inexact, rounding);
  const double result = mpfr_get_d(value, rounding);
  mpfr_set_emin(old_emin);
  mpfr_set_emax(old_emax);
  return result;
}

// 2^k for k in [-1074, 1023], built from its bits.
double power_of_two(int k) {
  if (k >= -1022)
    return std::bit_cast<double>(static_cast<std::uint64_t>(k + 1023) << 52);
  return std::bit_cast<double>(std::uint64_t{1} << (k + 1074));
}

bool same_bits(double a, double b) { return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b); }

// |ours - exact| / ulp(rounded), evaluated in MPFR; exact already computed.
double exact_error(mpfr_t exact, double ours, double rounded) {
  if (std::isnan(ours) || std::isnan(rounded) || mpfr_nan_p(exact))
    return ulps_from_rounded(ours, rounded);
  if (std::isinf(ours) || mpfr_inf_p(exact))
    return ulps_from_rounded(ours, rounded);
  mpfr_t difference;
  mpfr_init2(difference, 64); // a correctly rounded difference: 64 bits tell the size
  mpfr_sub_d(difference, exact, ours, MPFR_RNDN);
  mpfr_abs(difference, difference, MPFR_RNDN);
  mpfr_div_d(difference, difference, ulp_of(rounded), MPFR_RNDN);
  const double ulps = mpfr_get_d(difference, MPFR_RNDU);
  mpfr_clear(difference);
  return ulps;
}

void note_sample(accuracy_report& report, double x, double y, double ours, double rounded, double exact_ulps) {
  const double ulps = ulps_from_rounded(ours, rounded);
  ++report.count;
  if (ulps != 0)
    ++report.inexact_count;
  if (exact_ulps > report.max_exact_ulps)
    report.max_exact_ulps = exact_ulps;
  // An infinite error (a NaN for a number) would swamp the mean; the maximum shows it.
  if (std::isfinite(exact_ulps))
    report.sum_exact_ulps += exact_ulps;
  if (report.count == 1 || ulps > report.max_ulps) {
    report.max_ulps = ulps;
    report.worst_x = x;
    report.worst_y = y;
    report.worst_ours = ours;
    report.worst_rounded = rounded;
  }
}

mpfr_rnd_t reference_rounding(rounding_dependence dependence) {
  return dependence == rounding_dependence::follows_mode ? current_mpfr_rounding() : MPFR_RNDN;
}

} // namespace

mpfr_rnd_t current_mpfr_rounding() {
  switch (std::fegetround()) {
  case FE_UPWARD:
    return MPFR_RNDU;
  case FE_DOWNWARD:
    return MPFR_RNDD;
  case FE_TOWARDZERO:
    return MPFR_RNDZ;
  default:
    return MPFR_RNDN;
  }
}

double reference_unary(mpfr_unary f, double x, mpfr_rnd_t rounding) {
  const nearest_scope scope = enter_nearest();
  mpfr_t mx, result;
  mpfr_init2(mx, 53);
  mpfr_init2(result, 53);
  mpfr_set_d(mx, x, MPFR_RNDN);
  const int inexact = f(result, mx, rounding);
  const double value = to_double(result, inexact, rounding);
  mpfr_clears(mx, result, static_cast<mpfr_ptr>(nullptr));
  leave_nearest(scope);
  return value;
}

double reference_binary(mpfr_binary f, double x, double y, mpfr_rnd_t rounding) {
  const nearest_scope scope = enter_nearest();
  mpfr_t mx, my, result;
  mpfr_init2(mx, 53);
  mpfr_init2(my, 53);
  mpfr_init2(result, 53);
  mpfr_set_d(mx, x, MPFR_RNDN);
  mpfr_set_d(my, y, MPFR_RNDN);
  const int inexact = f(result, mx, my, rounding);
  const double value = to_double(result, inexact, rounding);
  mpfr_clears(mx, my, result, static_cast<mpfr_ptr>(nullptr));
  leave_nearest(scope);
  return value;
}

double ulp_of(double v) {
  const std::uint64_t bits = std::bit_cast<std::uint64_t>(v) & 0x7fffffffffffffffu;
  int biased = static_cast<int>(bits >> 52);
  if (biased == 0x7ff)
    biased = 0x7fe; // infinities and NaNs: the spacing just below DBL_MAX
  if (biased == 0)
    biased = 1; // subnormals share the spacing of the smallest binade
  return power_of_two(biased - 1023 - 52);
}

double ulps_from_rounded(double ours, double rounded) {
  if (std::isnan(ours) || std::isnan(rounded))
    return std::isnan(ours) && std::isnan(rounded) ? 0 : std::numeric_limits<double>::infinity();
  if (same_bits(ours, rounded))
    return 0;
  if (std::isinf(ours) || std::isinf(rounded) || (ours == 0 && rounded == 0))
    return std::numeric_limits<double>::infinity();
  mpfr_t ours_value, difference;
  mpfr_init2(ours_value, 53);
  mpfr_init2(difference, 64); // a correctly rounded difference: 64 bits tell the size
  mpfr_set_d(ours_value, ours, MPFR_RNDN);
  mpfr_sub_d(difference, ours_value, rounded, MPFR_RNDN);
  mpfr_clear(ours_value);
  mpfr_abs(difference, difference, MPFR_RNDN);
  mpfr_div_d(difference, difference, ulp_of(rounded), MPFR_RNDN);
  const double ulps = mpfr_get_d(difference, MPFR_RNDU);
  mpfr_clear(difference);
  return ulps;
}

double ulps_from_exact_unary(mpfr_unary f, double x, double ours) {
  const nearest_scope scope = enter_nearest();
  mpfr_t mx, exact;
  mpfr_init2(mx, 53);
  mpfr_init2(exact, exact_bits);
  mpfr_set_d(mx, x, MPFR_RNDN);
  f(exact, mx, MPFR_RNDN);
  const double rounded = reference_unary(f, x, MPFR_RNDN);
  const double ulps = exact_error(exact, ours, rounded);
  mpfr_clears(mx, exact, static_cast<mpfr_ptr>(nullptr));
  leave_nearest(scope);
  return ulps;
}

double ulps_from_exact_binary(mpfr_binary f, double x, double y, double ours) {
  const nearest_scope scope = enter_nearest();
  mpfr_t mx, my, exact;
  mpfr_init2(mx, 53);
  mpfr_init2(my, 53);
  mpfr_init2(exact, exact_bits);
  mpfr_set_d(mx, x, MPFR_RNDN);
  mpfr_set_d(my, y, MPFR_RNDN);
  f(exact, mx, my, MPFR_RNDN);
  const double rounded = reference_binary(f, x, y, MPFR_RNDN);
  const double ulps = exact_error(exact, ours, rounded);
  mpfr_clears(mx, my, exact, static_cast<mpfr_ptr>(nullptr));
  leave_nearest(scope);
  return ulps;
}

std::string describe(const accuracy_report& report) {
  char text[320];
  std::snprintf(text, sizeof text,
                "%llu arguments, %llu not correctly rounded, max %.3g ulp (exact: %.3g ulp), worst at x=%a y=%a: "
                "ours %a, correctly rounded %a",
                static_cast<unsigned long long>(report.count), static_cast<unsigned long long>(report.inexact_count),
                report.max_ulps, report.max_exact_ulps, report.worst_x, report.worst_y, report.worst_ours,
                report.worst_rounded);
  return text;
}

accuracy_report check_unary(unary_function ours, mpfr_unary reference, rounding_dependence dependence,
                            std::span<const double> xs) {
  accuracy_report report;
  const mpfr_rnd_t rounding = reference_rounding(dependence);
  for (const double x : xs) {
    const double result = ours(x);
    const double rounded = reference_unary(reference, x, rounding);
    // The exact error is only meaningful for round-to-nearest results.
    const double exact_ulps = rounding == MPFR_RNDN ? ulps_from_exact_unary(reference, x, result) : 0;
    note_sample(report, x, x, result, rounded, exact_ulps);
  }
  return report;
}

accuracy_report check_binary(binary_function ours, mpfr_binary reference, rounding_dependence dependence,
                             std::span<const double> xs, std::span<const double> ys) {
  accuracy_report report;
  const mpfr_rnd_t rounding = reference_rounding(dependence);
  const std::size_t count = xs.size() < ys.size() ? xs.size() : ys.size();
  for (std::size_t i = 0; i < count; ++i) {
    const double result = ours(xs[i], ys[i]);
    const double rounded = reference_binary(reference, xs[i], ys[i], rounding);
    const double exact_ulps = rounding == MPFR_RNDN ? ulps_from_exact_binary(reference, xs[i], ys[i], result) : 0;
    note_sample(report, xs[i], ys[i], result, rounded, exact_ulps);
  }
  return report;
}

std::vector<double> special_doubles() {
  const std::uint64_t patterns[] = {
      0x0000000000000000, // +0
      0x0000000000000001, // smallest subnormal
      0x000fffffffffffff, // largest subnormal
      0x0010000000000000, // smallest normal
      0x3fe0000000000000, // 0.5
      0x3fefffffffffffff, // just below 1
      0x3ff0000000000000, // 1
      0x3ff0000000000001, // just above 1
      0x3ff8000000000000, // 1.5
      0x4004000000000000, // 2.5
      0x432fffffffffffff, // just below 2^52
      0x4330000000000000, // 2^52
      0x4330000000000001, // 2^52 + 1
      0x7fefffffffffffff, // largest finite
      0x7ff0000000000000, // +inf
      0x7ff8000000000000, // quiet NaN
      0x7ff0000000000001, // signalling NaN
      0x7fffffffffffffff, // quiet NaN, every fraction bit set
  };
  std::vector<double> values;
  for (const std::uint64_t bits : patterns) {
    values.push_back(std::bit_cast<double>(bits));
    values.push_back(std::bit_cast<double>(bits | 0x8000000000000000u));
  }
  return values;
}

double random_bit_pattern(argument_engine& engine) { return std::bit_cast<double>(engine()); }

double random_in_biased_exponents(argument_engine& engine, int min_biased, int max_biased) {
  std::uniform_int_distribution<int> exponent(min_biased, max_biased);
  const std::uint64_t bits = engine();
  const std::uint64_t sign_and_fraction = bits & 0x800fffffffffffffu;
  return std::bit_cast<double>(sign_and_fraction | static_cast<std::uint64_t>(exponent(engine)) << 52);
}

double random_over_exponent_range(argument_engine& engine) { return random_in_biased_exponents(engine, 0, 2046); }

double random_power_of_two(argument_engine& engine) {
  std::uniform_int_distribution<int> exponent(-1074, 1023);
  const double magnitude = power_of_two(exponent(engine));
  return (engine() & 1) ? -magnitude : magnitude;
}

std::vector<double> uniform_arguments(std::size_t count, std::uint64_t seed, double low, double high,
                                      bool both_signs) {
  argument_engine engine(seed);
  std::uniform_real_distribution<double> magnitude(low, high);
  std::vector<double> values;
  values.reserve(count);
  while (values.size() < count) {
    const double x = magnitude(engine);
    values.push_back(both_signs && (engine() & 1) != 0 ? -x : x);
  }
  return values;
}

std::vector<double> mixed_arguments(std::size_t count, std::uint64_t seed) {
  argument_engine engine(seed);
  std::vector<double> values = special_doubles();
  if (values.size() > count)
    values.resize(count);
  while (values.size() < count) {
    switch (values.size() % 8) {
    case 0:
      values.push_back(random_power_of_two(engine));
      break;
    case 1:
      values.push_back(random_bit_pattern(engine));
      break;
    default:
      values.push_back(random_over_exponent_range(engine));
      break;
    }
  }
  return values;
}

std::size_t accuracy_sample_count(std::size_t fallback) {
  const char* text = std::getenv("KORVEL_ACCURACY_SAMPLES");
  if (text == nullptr || *text == '\0')
    return fallback;
  char* end = nullptr;
  const unsigned long long value = std::strtoull(text, &end, 10);
  if (*end != '\0' || value == 0)
    return fallback;
  return static_cast<std::size_t>(value);
}

accuracy_report run_accuracy_set(const accuracy_set& set, std::size_t count) {
  const argument_pairs arguments = set.make(count);
  if (set.ours_unary != nullptr)
    return check_unary(set.ours_unary, set.reference_unary, rounding_dependence::nearest_only, arguments.xs);
  return check_binary(set.ours_binary, set.reference_binary, rounding_dependence::nearest_only, arguments.xs,
                      arguments.ys);
}
