// Argument sets of the pow accuracy runs: the common range, x near 1 with
// large |y|, negative x with integer y, and results near overflow and in the
// subnormal range. Pairs aimed at a value z of y * log2|x| take y = z / log2|x|.
#include "accuracy_sets.h"
#include "korvel_math.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <random>

namespace {

double uniform(argument_engine& engine, double low, double high) {
  return std::uniform_real_distribution<double>(low, high)(engine);
}

// y with its low 27 bits cleared: y * log2|x| is then formed without the
// single-precision split of y.
double short_y(double y) { return std::bit_cast<double>(std::bit_cast<std::uint64_t>(y) & ~std::uint64_t{0x07ffffff}); }

// x in (0, 16], y in [-64, 64]; every fourth y short, every eighth an integer.
argument_pairs common_range(std::size_t count) {
  argument_engine engine(0x90e5eed1);
  argument_pairs pairs;
  for (std::size_t i = 0; i < count; ++i) {
    double x = 16.0 - uniform(engine, 0.0, 16.0);
    double y = uniform(engine, -64.0, 64.0);
    if (i % 4 == 1) y = short_y(y);
    if (i % 8 == 3) y = std::nearbyint(y);
    pairs.xs.push_back(x);
    pairs.ys.push_back(y);
  }
  return pairs;
}

// x = 1 + d with 2^-40 <= |d| <= 2^-4, inside and around the near-one window
// of log2; y up to about 2^50 so that y log2 x lies in [-1070, 1020].
argument_pairs near_one(std::size_t count) {
  argument_engine engine(0x90e5eed2);
  argument_pairs pairs;
  for (std::size_t i = 0; i < count; ++i) {
    double d = std::exp2(uniform(engine, -40.0, -4.0));
    double x = (engine() & 1) ? 1.0 + d : 1.0 - d;
    double z = uniform(engine, -1070.0, 1020.0);
    pairs.xs.push_back(x);
    pairs.ys.push_back(z / std::log2(x));
  }
  return pairs;
}

// x in [-256, -1/256], y an integer, odd and even, with |y log2|x|| < 1000.
argument_pairs negative_x_integer_y(std::size_t count) {
  argument_engine engine(0x90e5eed3);
  argument_pairs pairs;
  for (std::size_t i = 0; i < count; ++i) {
    double x = -std::exp2(uniform(engine, -8.0, 8.0));
    double limit = std::floor(std::fmin(1000.0 / std::fabs(std::log2(-x)), 1e15));
    double y = std::nearbyint(uniform(engine, -limit, limit));
    pairs.xs.push_back(x);
    pairs.ys.push_back(y);
  }
  return pairs;
}

// |x| in [2^-20, 2^20] away from 1, y aimed at y log2|x| in [low, high].
argument_pairs aimed_at(std::size_t count, std::uint64_t seed, double low, double high) {
  argument_engine engine(seed);
  argument_pairs pairs;
  for (std::size_t i = 0; i < count; ++i) {
    double e = uniform(engine, 0.05, 20.0);
    double x = std::exp2((engine() & 1) ? e : -e);
    double z = uniform(engine, low, high);
    pairs.xs.push_back(x);
    pairs.ys.push_back(z / std::log2(x));
  }
  return pairs;
}

// Up to and a little past the overflow threshold z = 1024.
argument_pairs near_overflow(std::size_t count) { return aimed_at(count, 0x90e5eed4, 1016.0, 1024.01); }

// Through the subnormal range down to and a little past z = -1075.
argument_pairs subnormal_results(std::size_t count) { return aimed_at(count, 0x90e5eed5, -1075.01, -1018.0); }

}  // namespace

const accuracy_set pow_accuracy_sets[] = {
    {"pow", "x in (0, 16], y in [-64, 64]", nullptr, nullptr, __pow, mpfr_pow, common_range},
    {"pow", "x near 1, |y| up to 2^50", nullptr, nullptr, __pow, mpfr_pow, near_one},
    {"pow", "x in [-256, -1/256], integer y", nullptr, nullptr, __pow, mpfr_pow, negative_x_integer_y},
    {"pow", "results near overflow", nullptr, nullptr, __pow, mpfr_pow, near_overflow},
    {"pow", "subnormal results", nullptr, nullptr, __pow, mpfr_pow, subnormal_results},
};
const std::size_t pow_accuracy_set_count = std::size(pow_accuracy_sets);
