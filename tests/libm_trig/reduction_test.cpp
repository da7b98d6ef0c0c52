// Reduction modulo pi/2 against MPFR: y[0] + y[1] must be x - n*pi/2 within
// 10^-4 ulp of y[0], with n right modulo 8, over the whole range and at the
// doubles closest to multiples of pi/2 (the worst cancellations).
#include "function_cases.h"
#include "korvel_math.h"
#include "libm_tables.h"
#include "mpfr_reference.h"
#include "reduction_arguments.h"

#include <gtest/gtest.h>
#include <mpfr.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr double error_bound_ulps = 1e-4;

struct reduction_report {
  std::size_t count = 0;
  std::size_t failures = 0;
  double max_error_ulps = 0;  // |y[0] + y[1] - (x - n pi/2)| in ulps of y[0]
  double worst_x = 0;
  double max_tail_ulps = 0;   // |y[1]| in ulps of y[0]
  std::string first_failure;
};

// Checks one argument: the exact remainder for a quotient N with N = n (mod 8),
// N within one of the nearest integer to 2x/pi and |x - N pi/2| <= pi/4 (+ slack).
void check_reduction(double x, mpfr_t pio2, mpfr_t quotient, mpfr_t nearest, mpfr_t exact, mpfr_t sum,
                     reduction_report& report) {
  double y[2];
  const int n = __libm__rem_pio2(x, y);
  ++report.count;
  mpfr_set_d(quotient, x, MPFR_RNDN);
  mpfr_div(quotient, quotient, pio2, MPFR_RNDN);
  mpfr_rint(nearest, quotient, MPFR_RNDN);
  // The residue of the nearest integer modulo 8, and the step to the candidate with n's residue.
  mpfr_t scaled;
  mpfr_init2(scaled, mpfr_get_prec(nearest));
  mpfr_div_2ui(scaled, nearest, 3, MPFR_RNDN);
  mpfr_frac(scaled, scaled, MPFR_RNDN);
  mpfr_mul_2ui(scaled, scaled, 3, MPFR_RNDN);
  const long residue = mpfr_get_si(scaled, MPFR_RNDN);
  mpfr_clear(scaled);
  long step = ((n - residue) % 8 + 8) % 8;
  if (step > 4) step -= 8;
  bool ok = step >= -1 && step <= 1;
  if (ok) {
    mpfr_add_si(nearest, nearest, step, MPFR_RNDN);
    mpfr_mul(exact, nearest, pio2, MPFR_RNDN);
    mpfr_d_sub(exact, x, exact, MPFR_RNDN);
    mpfr_set_d(sum, y[0], MPFR_RNDN);
    mpfr_add_d(sum, sum, y[1], MPFR_RNDN);
    mpfr_sub(sum, sum, exact, MPFR_RNDN);
    const double ulp = ulp_of(y[0]);
    const double error = std::fabs(mpfr_get_d(sum, MPFR_RNDN)) / ulp;
    const double tail = std::fabs(y[1]) / ulp;
    if (error > report.max_error_ulps) {
      report.max_error_ulps = error;
      report.worst_x = x;
    }
    if (tail > report.max_tail_ulps) report.max_tail_ulps = tail;
    ok = error <= error_bound_ulps && std::fabs(mpfr_get_d(exact, MPFR_RNDN)) <= 0.7853981633974484;
  }
  if (!ok) {
    if (report.failures == 0) {
      char text[160];
      std::snprintf(text, sizeof text, "x = %a: n = %d, y = (%a, %a), nearest residue %ld", x, n, y[0], y[1],
                    residue);
      report.first_failure = text;
    }
    ++report.failures;
  }
}

reduction_report measure(const std::vector<double>& xs) {
  mpfr_t pio2, quotient, nearest, exact, sum;
  mpfr_inits2(1400, pio2, quotient, nearest, exact, sum, static_cast<mpfr_ptr>(nullptr));
  mpfr_const_pi(pio2, MPFR_RNDN);
  mpfr_div_2ui(pio2, pio2, 1, MPFR_RNDN);
  reduction_report report;
  for (double x : xs) check_reduction(x, pio2, quotient, nearest, exact, sum, report);
  mpfr_clears(pio2, quotient, nearest, exact, sum, static_cast<mpfr_ptr>(nullptr));
  return report;
}

void expect_accurate(const char* what, const std::vector<double>& xs) {
  const reduction_report report = measure(xs);
  std::printf("rem_pio2 %s: %zu arguments, max error %.3g ulp of y[0] at x = %a, max |y[1]| %.3g ulp of y[0]\n",
              what, report.count, report.max_error_ulps, report.worst_x, report.max_tail_ulps);
  EXPECT_EQ(report.count, xs.size());
  EXPECT_EQ(report.failures, 0u) << report.first_failure;
  EXPECT_LE(report.max_error_ulps, error_bound_ulps);
  // The chunked path sums its terms in steps, so y[0] can miss the nearest
  // double to y[0] + y[1] by a little: the tail stays below one ulp, not half.
  EXPECT_LT(report.max_tail_ulps, 1.0);
}

TEST(ReductionAccuracy, RandomArgumentsOverTheWholeRange) {
  argument_engine engine(0x7219a001);
  std::vector<double> xs;
  const std::size_t count = accuracy_sample_count();
  // Half over every binade from pi/4 up, half in the medium range.
  while (xs.size() < count / 2) xs.push_back(random_in_biased_exponents(engine, 0x3fe, 0x7fe));
  while (xs.size() < count) xs.push_back(random_in_biased_exponents(engine, 0x3fe, 0x413));
  expect_accurate("random", xs);
}

TEST(ReductionAccuracy, NearestDoublesToMultiplesOfPiOver2) {
  const std::size_t count = accuracy_sample_count() / 4;
  std::vector<double> xs = nearest_to_multiples_of_pio2(1, count / 2);
  const std::vector<double> spread = nearest_to_random_multiples_of_pio2(count / 2, 62, 0x7219a002);
  xs.insert(xs.end(), spread.begin(), spread.end());
  expect_accurate("nearest n*pi/2", xs);
}

TEST(ReductionAccuracy, WorstCancellationsInEveryBinade) {
  std::vector<double> xs = close_to_multiples_of_pio2(4);
  // 6381956970095103 * 2^797: the double closest to a multiple of pi/2 (about 2^-61 relative).
  xs.push_back(std::ldexp(6381956970095103.0, 797));
  xs.push_back(-std::ldexp(6381956970095103.0, 797));
  expect_accurate("closest to n*pi/2 per binade", xs);
}

// A zero argument, all its chunks 0, reduces to n = 0 with +0 in every double
// p asks for, reading nothing outside the arrays (the sanitizer build checks).
TEST(ReductionEdges, ZeroChunksReduceToZero) {
  const int exponents[] = {-3, 0, 24, 100, 500, 1000};
  const double zeros[3] = {0.0, 0.0, 0.0};
  const int written_by_p[4] = {1, 2, 2, 3};
  for (int p = 0; p <= 3; ++p) {
    for (int nx = 1; nx <= 3; ++nx) {
      for (const int e0 : exponents) {
        double y[4] = {7.0, 7.0, 7.0, 7.0};
        const std::string what =
            "p = " + std::to_string(p) + ", nx = " + std::to_string(nx) + ", e0 = " + std::to_string(e0);
        EXPECT_EQ(__libm__rem_pio2m(zeros, y, e0, nx, p, __libm_TBL_ipio2_inf), 0) << what;
        for (int i = 0; i < 4; ++i) expect_same(i < written_by_p[p] ? plus_zero : to_bits(7.0), y[i], what);
      }
    }
  }
}

}  // namespace
