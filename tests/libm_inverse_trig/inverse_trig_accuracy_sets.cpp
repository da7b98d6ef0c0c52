// Argument sets of atan, atan2, asin and acos: the whole range and each branch's
// range on its own. Domain errors (|x| > 1, atan2 of two zeros) are left out:
// they reach the error handler and are tested with it.
#include "accuracy_sets.h"
#include "korvel_math.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <random>
#include <utility>
#include <vector>

namespace {

constexpr std::uint64_t magnitude_mask = 0x7fffffffffffffffu;
constexpr std::uint64_t sign_mask = 0x8000000000000000u;
constexpr int bias = 1023;

argument_pairs unary(std::vector<double> xs) { return {std::move(xs), {}}; }

// |x| in [2^min_exponent, 2^(max_exponent + 1)), both signs.
argument_pairs in_binades(std::size_t count, std::uint64_t seed, int min_exponent, int max_exponent) {
  argument_engine engine(seed);
  std::vector<double> xs;
  xs.reserve(count);
  while (xs.size() < count)
    xs.push_back(random_in_biased_exponents(engine, bias + min_exponent, bias + max_exponent));
  return unary(std::move(xs));
}

// Uniform in [low, high), both signs.
argument_pairs uniform(std::size_t count, std::uint64_t seed, double low, double high) {
  return unary(uniform_arguments(count, seed, low, high, true));
}

// Specials and everything else over the exponent range.
argument_pairs atan_whole_range(std::size_t count) { return unary(mixed_arguments(count, 0xa7a0001)); }
// Below 1/8: the tiny range and the three polynomials.
argument_pairs atan_below_eighth(std::size_t count) { return in_binades(count, 0xa7a0002, -40, -4); }
// The 97 reduction points' region [1/8, 8).
argument_pairs atan_table_region(std::size_t count) { return in_binades(count, 0xa7a0003, -3, 2); }
// 1/|x| from 8 up, its three sub-ranges and beyond 2^55.
argument_pairs atan_above_eight(std::size_t count) { return in_binades(count, 0xa7a0004, 3, 70); }

// asin and acos inside [-1, 1]: NaNs, zeros, ±1 and values spread over every binade.
argument_pairs unit_interval(std::size_t count) {
  std::vector<double> xs = mixed_arguments(count, 0xa5100001);
  for (double& x : xs) {
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(x);
    if ((bits & magnitude_mask) > 0x3ff0000000000000u && (bits & magnitude_mask) <= 0x7ff0000000000000u)
      x = std::bit_cast<double>((bits & sign_mask) | ((bits & 0x000fffffffffffffu) | 0x3fe0000000000000u));
  }
  return unary(std::move(xs));
}
// Below 0.5: the tiny ranges and x + x*R(x*x).
argument_pairs below_half(std::size_t count) { return in_binades(count, 0xa5100002, -60, -2); }
// The square-root form with the split head, 0.5 <= |x| < 0.975.
argument_pairs half_to_0975(std::size_t count) { return uniform(count, 0xa5100003, 0.5, 0.975); }
// The plain square-root form, 0.975 <= |x| < 1, half of them within 2^-10 of 1.
argument_pairs near_one(std::size_t count) {
  argument_pairs pairs = uniform(count, 0xa5100004, 0.975, 1.0);
  argument_engine engine(0xa5100005);
  for (std::size_t i = 0; i < pairs.xs.size(); i += 2) {
    const double x = 1.0 - std::bit_cast<double>(std::bit_cast<std::uint64_t>(
                               random_in_biased_exponents(engine, bias - 53, bias - 11)) & magnitude_mask);
    pairs.xs[i] = (engine() & 1) ? -x : x;
  }
  return pairs;
}

// atan2 pairs: xs holds the first operand y, ys the second operand x.
// Specials and random patterns in every combination; two zeros are a domain
// error, so such a y is moved off zero.
argument_pairs atan2_whole_range(std::size_t count) {
  argument_pairs pairs{mixed_arguments(count, 0xa7a20001), mixed_arguments(count, 0xa7a20002)};
  argument_engine engine(0xa7a20003);
  for (std::size_t i = 0; i < count; ++i) {
    // Specials pair with every other special, not only with themselves.
    if (i >= 36 && i < 36 * 37) {
      pairs.xs[i] = pairs.xs[i / 36 - 1];
      pairs.ys[i] = pairs.ys[i % 36];
    }
    if ((std::bit_cast<std::uint64_t>(pairs.xs[i]) & magnitude_mask) == 0 &&
        (std::bit_cast<std::uint64_t>(pairs.ys[i]) & magnitude_mask) == 0)
      pairs.xs[i] = random_over_exponent_range(engine);
  }
  return pairs;
}

// Finite pairs in all four quadrants with exponent differences from -70 to
// 70: the +-60 shortcuts and every region of atan(|y|/|x|).
argument_pairs atan2_exponent_differences(std::size_t count) {
  argument_engine engine(0xa7a20004);
  std::uniform_int_distribution<int> difference(-70, 70);
  argument_pairs pairs;
  pairs.xs.reserve(count);
  pairs.ys.reserve(count);
  while (pairs.xs.size() < count) {
    const double x = random_in_biased_exponents(engine, 1 + 70, 2046 - 70);
    const int biased_x = static_cast<int>((std::bit_cast<std::uint64_t>(x) >> 52) & 0x7ff);
    const int biased_y = biased_x + difference(engine);
    pairs.xs.push_back(random_in_biased_exponents(engine, biased_y, biased_y));
    pairs.ys.push_back(x);
  }
  return pairs;
}

// Quotients just above 2^-k (k = 1 .. 10) whose arctangent lies a binade
// below: the rounding of |y|/|x| costs a whole ulp of the result here, so
// atan2's largest errors lie in these pairs. All four quadrants.
argument_pairs atan2_binade_below(std::size_t count) {
  argument_engine engine(0xa7a20006);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  argument_pairs pairs;
  pairs.xs.reserve(count);
  pairs.ys.reserve(count);
  while (pairs.xs.size() < count) {
    const int k = 1 + static_cast<int>(pairs.xs.size() % 10);
    const double power = std::ldexp(1.0, -k);
    // atan(q) < 2^-k while q < 2^-k * (1 + 2^-2k / 3), about.
    const double quotient = power * (1.0 + unit(engine) * power * power / 3.0);
    const double x = 1.0 + unit(engine);
    const double y = quotient * x;
    pairs.xs.push_back((engine() & 1) ? -y : y);
    pairs.ys.push_back((engine() & 1) ? -x : x);
  }
  return pairs;
}

// Subnormal and smallest normal operands, where the true exponents count.
argument_pairs atan2_subnormal(std::size_t count) {
  argument_engine engine(0xa7a20005);
  argument_pairs pairs;
  pairs.xs.reserve(count);
  pairs.ys.reserve(count);
  while (pairs.xs.size() < count) {
    double y = random_in_biased_exponents(engine, 0, 64);
    double x = random_in_biased_exponents(engine, 0, 64);
    if ((std::bit_cast<std::uint64_t>(y) & magnitude_mask) == 0) y = 0x1p-1074;
    pairs.xs.push_back(y);
    pairs.ys.push_back(x);
  }
  return pairs;
}

double atan_of(double x) { return __atan(x); }
double asin_of(double x) { return __asin(x); }
double acos_of(double x) { return __acos(x); }
double atan2_of(double y, double x) { return __atan2(y, x); }

}  // namespace

const accuracy_set inverse_trig_accuracy_sets[] = {
    {"atan", "whole range", atan_of, mpfr_atan, nullptr, nullptr, atan_whole_range},
    {"atan", "|x| < 1/8", atan_of, mpfr_atan, nullptr, nullptr, atan_below_eighth},
    {"atan", "1/8 <= |x| < 8", atan_of, mpfr_atan, nullptr, nullptr, atan_table_region},
    {"atan", "8 <= |x| < 2^71", atan_of, mpfr_atan, nullptr, nullptr, atan_above_eight},
    {"atan2", "whole range", nullptr, nullptr, atan2_of, mpfr_atan2, atan2_whole_range},
    {"atan2", "exponent difference -70..70", nullptr, nullptr, atan2_of, mpfr_atan2, atan2_exponent_differences},
    {"atan2", "subnormal operands", nullptr, nullptr, atan2_of, mpfr_atan2, atan2_subnormal},
    {"atan2", "|y/x| just above 2^-k", nullptr, nullptr, atan2_of, mpfr_atan2, atan2_binade_below},
    {"asin", "[-1, 1]", asin_of, mpfr_asin, nullptr, nullptr, unit_interval},
    {"asin", "|x| < 0.5", asin_of, mpfr_asin, nullptr, nullptr, below_half},
    {"asin", "0.5 <= |x| < 0.975", asin_of, mpfr_asin, nullptr, nullptr, half_to_0975},
    {"asin", "0.975 <= |x| < 1", asin_of, mpfr_asin, nullptr, nullptr, near_one},
    {"acos", "[-1, 1]", acos_of, mpfr_acos, nullptr, nullptr, unit_interval},
    {"acos", "|x| < 0.5", acos_of, mpfr_acos, nullptr, nullptr, below_half},
    {"acos", "0.5 <= |x| < 0.975", acos_of, mpfr_acos, nullptr, nullptr, half_to_0975},
    {"acos", "0.975 <= |x| < 1", acos_of, mpfr_acos, nullptr, nullptr, near_one},
};
const std::size_t inverse_trig_accuracy_set_count = std::size(inverse_trig_accuracy_sets);
