#include "reduction_arguments.h"

#include <mpfr.h>

#include <random>

namespace {

// Enough bits for x*2/pi to keep 200 bits after the point at x = 2^1024.
constexpr mpfr_prec_t precision = 1400;

double nearest_multiple(std::uint64_t n, mpfr_t pio2, mpfr_t product) {
  mpfr_mul_ui(product, pio2, n, MPFR_RNDN);
  return mpfr_get_d(product, MPFR_RNDN);
}

}  // namespace

std::vector<double> nearest_to_multiples_of_pio2(std::uint64_t first, std::size_t count) {
  mpfr_t pio2, product;
  mpfr_inits2(precision, pio2, product, static_cast<mpfr_ptr>(nullptr));
  mpfr_const_pi(pio2, MPFR_RNDN);
  mpfr_div_2ui(pio2, pio2, 1, MPFR_RNDN);
  std::vector<double> xs;
  for (std::size_t i = 0; i < count; ++i) xs.push_back(nearest_multiple(first + i, pio2, product));
  mpfr_clears(pio2, product, static_cast<mpfr_ptr>(nullptr));
  return xs;
}

std::vector<double> nearest_to_random_multiples_of_pio2(std::size_t count, int max_bits, std::uint64_t seed) {
  mpfr_t pio2, product;
  mpfr_inits2(precision, pio2, product, static_cast<mpfr_ptr>(nullptr));
  mpfr_const_pi(pio2, MPFR_RNDN);
  mpfr_div_2ui(pio2, pio2, 1, MPFR_RNDN);
  std::mt19937_64 engine(seed);
  std::vector<double> xs;
  for (std::size_t i = 0; i < count; ++i) {
    const int bits = 1 + static_cast<int>(engine() % static_cast<std::uint64_t>(max_bits));
    const std::uint64_t n = (engine() >> (64 - bits)) | 1;
    const double x = nearest_multiple(n, pio2, product);
    xs.push_back((engine() & 1) != 0 ? -x : x);
  }
  mpfr_clears(pio2, product, static_cast<mpfr_ptr>(nullptr));
  return xs;
}

std::vector<double> close_to_multiples_of_pio2(int per_binade) {
  mpfr_t two_over_pi, alpha, rest, term;
  mpfr_inits2(precision, two_over_pi, alpha, rest, term, static_cast<mpfr_ptr>(nullptr));
  mpfr_const_pi(two_over_pi, MPFR_RNDN);
  mpfr_ui_div(two_over_pi, 2, two_over_pi, MPFR_RNDN);
  constexpr std::uint64_t two53 = std::uint64_t{1} << 53;
  std::vector<double> xs;
  for (int e = 1; e <= 1023; ++e) {
    // alpha = frac(2^(e-52) * 2/pi): m*alpha near an integer puts m*2^(e-52) near a multiple of pi/2.
    mpfr_mul_2si(alpha, two_over_pi, e - 52, MPFR_RNDN);
    mpfr_frac(alpha, alpha, MPFR_RNDN);
    std::vector<std::uint64_t> denominators;
    std::uint64_t previous = 0;
    std::uint64_t current = 1;
    mpfr_set(rest, alpha, MPFR_RNDN);
    for (int step = 0; step < 200; ++step) {
      mpfr_ui_div(rest, 1, rest, MPFR_RNDN);
      mpfr_floor(term, rest);
      if (mpfr_cmp_ui(term, two53) >= 0) break;
      const std::uint64_t a = mpfr_get_ui(term, MPFR_RNDN);
      if (a != 0 && current > (two53 - 1 - previous) / a) break;
      const std::uint64_t next = a * current + previous;
      previous = current;
      current = next;
      denominators.push_back(current);
      mpfr_sub(rest, rest, term, MPFR_RNDN);
      if (mpfr_zero_p(rest)) break;
    }
    const int first = static_cast<int>(denominators.size()) - per_binade;
    for (int i = first < 0 ? 0 : first; i < static_cast<int>(denominators.size()); ++i) {
      const std::uint64_t q = denominators[static_cast<std::size_t>(i)];
      const std::uint64_t m = q * ((two53 - 1) / q);
      if (m < two53 / 2) continue;
      mpfr_set_ui(term, static_cast<unsigned long>(m), MPFR_RNDN);
      mpfr_mul_2si(term, term, e - 52, MPFR_RNDN);
      const double x = mpfr_get_d(term, MPFR_RNDN);
      xs.push_back(x);
      xs.push_back(-x);
    }
  }
  mpfr_clears(two_over_pi, alpha, rest, term, static_cast<mpfr_ptr>(nullptr));
  return xs;
}
