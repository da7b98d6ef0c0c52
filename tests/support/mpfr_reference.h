// Correctly rounded reference values from MPFR and the error of our results
// in ulps, for one- and two-argument double functions.
#pragma once

#include <cstdint>
#include <mpfr.h>
#include <random>
#include <span>
#include <string>
#include <vector>

using unary_function = double (*)(double);
using binary_function = double (*)(double, double);
using mpfr_unary = int (*)(mpfr_ptr, mpfr_srcptr, mpfr_rnd_t);
using mpfr_binary = int (*)(mpfr_ptr, mpfr_srcptr, mpfr_srcptr, mpfr_rnd_t);

// Whether the reference follows the caller's rounding mode (sqrt, rint) or is
// always the round-to-nearest value (ceil and floor are mode independent,
// and so are functions specified for round-to-nearest only).
enum class rounding_dependence { follows_mode, nearest_only };

// The MPFR direction matching the current floating-point rounding mode.
mpfr_rnd_t current_mpfr_rounding();

// The correctly rounded double of f(x) or f(x, y) in `rounding`, with
// subnormals and overflow exactly as IEEE arithmetic produces them.
double reference_unary(mpfr_unary f, double x, mpfr_rnd_t rounding);
double reference_binary(mpfr_binary f, double x, double y, mpfr_rnd_t rounding);

// Size of one unit in the last place of the double `v` (subnormal spacing
// below 2^-1022; the spacing below DBL_MAX for infinities).
double ulp_of(double v);

// Our result against the correctly rounded one, in ulps of the latter.
// Identical results (NaN against NaN, zeros of the same sign) give 0; a NaN
// against a number, a wrong sign of zero or a wrong infinity give +inf.
double ulps_from_rounded(double ours, double rounded);

// Our result against the exact value (computed to 256 bits), in ulps of the
// correctly rounded value: at most 0.5 for a correctly rounded function.
double ulps_from_exact_unary(mpfr_unary f, double x, double ours);
double ulps_from_exact_binary(mpfr_binary f, double x, double y, double ours);

// Largest errors over a run and the arguments that gave them.
struct accuracy_report {
  std::uint64_t count = 0;
  std::uint64_t inexact_count = 0; // results not bit-identical to the rounded value
  double max_ulps = 0;             // against the correctly rounded value
  double max_exact_ulps = 0;       // against the exact value
  double sum_exact_ulps = 0;       // finite errors against the exact value, for the mean
  double worst_x = 0;
  double worst_y = 0;
  double worst_ours = 0;
  double worst_rounded = 0;
};

std::string describe(const accuracy_report& report);

// Measure `ours` against `reference` on every argument (pairs for binary).
// The rounding mode in force at the call is the one measured.
accuracy_report check_unary(unary_function ours, mpfr_unary reference, rounding_dependence dependence,
                            std::span<const double> xs);
accuracy_report check_binary(binary_function ours, mpfr_binary reference, rounding_dependence dependence,
                             std::span<const double> xs, std::span<const double> ys);

// Argument generators. Every generator is deterministic for a given engine.
using argument_engine = std::mt19937_64;

// ±0, ±inf, quiet and signalling NaNs, the smallest and largest subnormals and
// normals, the largest finite double, and values around 1.
std::vector<double> special_doubles();
// Any 64-bit pattern (NaNs included).
double random_bit_pattern(argument_engine& engine);
// Random sign, biased exponent uniform over 0..2046 (subnormals included),
// random fraction: every binade is equally likely.
double random_over_exponent_range(argument_engine& engine);
// Same, with the biased exponent uniform over [min_biased, max_biased].
double random_in_biased_exponents(argument_engine& engine, int min_biased, int max_biased);
// ±2^k for k uniform over the whole range, subnormal powers included.
double random_power_of_two(argument_engine& engine);
// `count` values uniform in [low, high), each with a random sign when `both_signs`.
std::vector<double> uniform_arguments(std::size_t count, std::uint64_t seed, double low, double high,
                                      bool both_signs);
// A mix for accuracy runs: specials first, then powers of two, random bit
// patterns and values spread over the exponent range.
std::vector<double> mixed_arguments(std::size_t count, std::uint64_t seed);

// Sample count for accuracy tests: KORVEL_ACCURACY_SAMPLES, else `fallback`
// (10^5, the count CI runs; KORVEL_ACCURACY_SAMPLES=1000000 for the full sweeps).
std::size_t accuracy_sample_count(std::size_t fallback = 100000);
