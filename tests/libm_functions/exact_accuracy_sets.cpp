// Accuracy arguments of sqrt, ceil, floor, rint, fmod and remainder.
#include "accuracy_sets.h"
#include "function_cases.h"
#include "korvel_math.h"

#include <algorithm>

namespace {

// sqrt's domain errors are tested elsewhere: keep the arguments non-negative
// except for -0 and NaNs of either sign.
argument_pairs sqrt_arguments(std::size_t count) {
  argument_pairs pairs{mixed_arguments(count, 0x5eed0001), {}};
  for (double& x : pairs.xs) {
    const std::uint64_t bits = to_bits(x);
    if (bits != minus_zero && !is_nan_bits(bits))
      x = from_bits(bits & 0x7fffffffffffffffu);
  }
  return pairs;
}

// Arguments of the rounding functions: the whole range, with most of them
// below 2^53 where the rounding happens.
argument_pairs rounding_arguments(std::size_t count) {
  argument_pairs pairs{mixed_arguments(count / 2, 0x5eed0002), {}};
  argument_engine engine(0x5eed0003);
  while (pairs.xs.size() < count)
    pairs.xs.push_back(random_in_biased_exponents(engine, 0x3f0, 0x434)); // about 2^-15 .. 2^53
  return pairs;
}

// Divisor/dividend pairs: a third over the whole range, the rest with the
// divisor's exponent at most 64 below the dividend's so the long division
// and the corrections do real work. Zero divisors go to the handler and are
// tested elsewhere.
argument_pairs division_arguments(std::size_t count, std::uint64_t seed) {
  argument_pairs pairs{mixed_arguments(count, seed), mixed_arguments(count, seed + 1)};
  argument_engine engine(seed + 2);
  for (std::size_t i = 0; i < count; ++i) {
    if (i % 3 != 0 && i > 64) {
      const int biased_x = static_cast<int>((to_bits(pairs.xs[i]) >> 52) & 0x7ff);
      if (biased_x == 0x7ff)
        continue;
      const int low = std::max(0, biased_x - 64);
      pairs.ys[i] = random_in_biased_exponents(engine, low, biased_x);
    }
    if ((to_bits(pairs.ys[i]) & 0x7fffffffffffffffu) == 0)
      pairs.ys[i] = from_bits(to_bits(pairs.ys[i]) | min_subnormal);
  }
  return pairs;
}

argument_pairs fmod_arguments(std::size_t count) { return division_arguments(count, 0x5eed0010); }
argument_pairs remainder_arguments(std::size_t count) { return division_arguments(count, 0x5eed0020); }

} // namespace

extern const accuracy_set exact_accuracy_sets[] = {
    {"sqrt", "whole range", __sqrt, mpfr_sqrt, nullptr, nullptr, sqrt_arguments},
    {"ceil", "whole range, mostly below 2^53", __ceil, mpfr_rint_ceil, nullptr, nullptr, rounding_arguments},
    {"floor", "whole range, mostly below 2^53", __floor, mpfr_rint_floor, nullptr, nullptr, rounding_arguments},
    {"rint", "whole range, mostly below 2^53", __rint, mpfr_rint, nullptr, nullptr, rounding_arguments},
    {"fmod", "pairs within 64 binades", nullptr, nullptr, __fmod, mpfr_fmod, fmod_arguments},
    {"remainder", "pairs within 64 binades", nullptr, nullptr, __remainder, mpfr_remainder, remainder_arguments},
};
extern const std::size_t exact_accuracy_set_count = std::size(exact_accuracy_sets);
