// Our math functions against the platform libm's, on the same arguments:
// throughput (independent calls) and latency (each argument depends on the
// previous result), in ns per call and as the ratio ours / libm.
//
// On a shared machine a processor's speed changes for seconds at a time, and
// not alike for both libraries: throughput-bound loops can run at half speed
// while latency-bound ones do not. So each ratio comes from a pair of timings
// taken back to back (ours and libm alternating which goes first), in sweeps
// over every case; each repetition has several sweeps, spread over the whole
// run and over the processors, and keeps the pairs of its fastest sweep, the
// least disturbed. A row reports the median of its repetitions' ratios with
// their quartiles. bench/math_table.sh turns the output into a table.
//
// Usage: math_bench [--repetitions=N] [--tries=K] [--sample-ms=M] [--filter=REGEX]
// Output, one CSV line per row and kind:
//   function,kind,ours_ns,libm_ns,ratio_median,ratio_q1,ratio_q3
#include <dlfcn.h>
#include <sched.h>
#include <time.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "korvel_math.h"

namespace {

using unary_function = double (*)(double);
using binary_function = double (*)(double, double);

// Calls per benchmark iteration; a power of two so the index wraps by mask.
constexpr std::size_t batch = 1024;

// Random sign, biased exponent uniform in [min_biased, max_biased], random fraction.
double random_in_exponents(std::mt19937_64& engine, int min_biased, int max_biased, bool with_sign) {
  std::uniform_int_distribution<int> exponent(min_biased, max_biased);
  std::uint64_t bits = (static_cast<std::uint64_t>(exponent(engine)) << 52) | (engine() & 0x000fffffffffffffULL);
  if (with_sign) bits |= engine() & 0x8000000000000000ULL;
  return std::bit_cast<double>(bits);
}

// Argument sets, one per kind of function.
struct argument_set {
  std::vector<double> xs;
  std::vector<double> ys;
};

// Positive doubles over the whole normal range.
argument_set positive_spread() {
  std::mt19937_64 engine(1);
  argument_set set;
  for (std::size_t i = 0; i < batch; ++i) set.xs.push_back(random_in_exponents(engine, 1, 2046, false));
  return set;
}

// Both signs, |x| from 2^-4 to 2^53: non-integers, integers and the 2^52 border.
argument_set rounding_spread() {
  std::mt19937_64 engine(2);
  argument_set set;
  for (std::size_t i = 0; i < batch; ++i) set.xs.push_back(random_in_exponents(engine, 1019, 1075, true));
  return set;
}

// x and y both signs, exponents from 2^-30 to 2^30 each.
argument_set remainder_spread() {
  std::mt19937_64 engine(3);
  argument_set set;
  for (std::size_t i = 0; i < batch; ++i) {
    set.xs.push_back(random_in_exponents(engine, 1023 - 30, 1023 + 30, true));
    set.ys.push_back(random_in_exponents(engine, 1023 - 30, 1023 + 30, true));
  }
  return set;
}

// x over the whole normal range, y from 2^-30 to 2^30: long divisions of
// hundreds of steps.
argument_set remainder_wide() {
  std::mt19937_64 engine(4);
  argument_set set;
  for (std::size_t i = 0; i < batch; ++i) {
    set.xs.push_back(random_in_exponents(engine, 1, 2046, true));
    set.ys.push_back(random_in_exponents(engine, 1023 - 30, 1023 + 30, true));
  }
  return set;
}

// Uniform in [low, high]; with `pairs`, y drawn after each x from the same range.
argument_set uniform_set(std::uint64_t seed, double low, double high, bool pairs) {
  std::mt19937_64 engine(seed);
  std::uniform_real_distribution<double> value(low, high);
  argument_set set;
  for (std::size_t i = 0; i < batch; ++i) {
    set.xs.push_back(value(engine));
    if (pairs) set.ys.push_back(value(engine));
  }
  return set;
}

// Argument sets of sin, cos and tan.
// [-pi, pi]: the kernels directly or after one step of reduction.
argument_set trig_small() { return uniform_set(5, -3.141592653589793, 3.141592653589793, false); }

// [-1e5, 1e5]: Cody-Waite reduction.
argument_set trig_medium() { return uniform_set(6, -1e5, 1e5, false); }

// 1e22 .. 1e300, both signs, every decade alike: the multi-precision reduction.
argument_set trig_huge() {
  std::mt19937_64 engine(7);
  std::uniform_real_distribution<double> decade(22.0, 300.0);
  argument_set set;
  for (std::size_t i = 0; i < batch; ++i) {
    const double x = std::pow(10.0, decade(engine));
    set.xs.push_back((engine() & 1) != 0 ? -x : x);
  }
  return set;
}

// Argument sets of atan, atan2, asin and acos.

// atan: the table region and the 1/|x| path up to 10, then mostly 1/|x| sub-ranges.
argument_set atan_spread() { return uniform_set(20, -10.0, 10.0, false); }
argument_set atan_wide() { return uniform_set(21, -1e6, 1e6, false); }
// asin and acos over their whole domain.
argument_set unit_spread() { return uniform_set(22, -1.0, 1.0, false); }
// atan2: all four quadrants, quotients over every atan path.
argument_set atan2_spread() { return uniform_set(23, -10.0, 10.0, true); }

// Argument sets of exp and log.

// exp over [-700, 700]: the table path with every scale.
argument_set exp_spread() { return uniform_set(50, -700.0, 700.0, false); }

// exp over [-1, 1]: mostly the one-step reduction.
argument_set exp_small() { return uniform_set(51, -1.0, 1.0, false); }

// log over [0.5, 2]: the table and the near-one series.
argument_set log_near_one() { return uniform_set(52, 0.5, 2.0, false); }

// Argument sets of pow.

// x uniform in [0.01, 100], y uniform in [-10, 10]: the general path.
argument_set pow_spread() {
  std::mt19937_64 engine(40);
  std::uniform_real_distribution<double> base(0.01, 100.0);
  std::uniform_real_distribution<double> exponent(-10.0, 10.0);
  argument_set set;
  for (std::size_t i = 0; i < batch; ++i) {
    set.xs.push_back(base(engine));
    set.ys.push_back(exponent(engine));
  }
  return set;
}

// The functions measured; add a row to measure another one.
struct unary_row {
  const char* name;        // benchmark name
  const char* libm_symbol; // name looked up in libm.so.6
  unary_function ours;
  argument_set (*arguments)();
};
struct binary_row {
  const char* name;        // benchmark name
  const char* libm_symbol; // name looked up in libm.so.6
  binary_function ours;
  argument_set (*arguments)();
};

const unary_row unary_rows[] = {
    {"sqrt", "sqrt", __sqrt, positive_spread},
    {"ceil", "ceil", __ceil, rounding_spread},
    {"floor", "floor", __floor, rounding_spread},
    {"rint", "rint", __rint, rounding_spread},

    // sin, cos, tan
    {"sin", "sin", __sin, trig_small},
    {"cos", "cos", __cos, trig_small},
    {"tan", "tan", __tan, trig_small},
    {"sin_medium", "sin", __sin, trig_medium},
    {"cos_medium", "cos", __cos, trig_medium},
    {"tan_medium", "tan", __tan, trig_medium},
    {"sin_huge", "sin", __sin, trig_huge},
    {"cos_huge", "cos", __cos, trig_huge},
    {"tan_huge", "tan", __tan, trig_huge},

    // atan, asin, acos
    {"atan", "atan", __atan, atan_spread},
    {"atan_wide", "atan", __atan, atan_wide},
    {"asin", "asin", __asin, unit_spread},
    {"acos", "acos", __acos, unit_spread},

    // exp, log
    {"exp", "exp", __exp, exp_spread},
    {"exp_small", "exp", __exp, exp_small},
    {"log", "log", __log, positive_spread},
    {"log_near_one", "log", __log, log_near_one},

};
const binary_row binary_rows[] = {
    {"fmod", "fmod", __fmod, remainder_spread},
    {"remainder", "remainder", __remainder, remainder_spread},
    {"fmod_wide", "fmod", __fmod, remainder_wide},
    {"remainder_wide", "remainder", __remainder, remainder_wide},

    // atan2
    {"atan2", "atan2", __atan2, atan2_spread},

    // pow
    {"pow", "pow", __pow, pow_spread},

};

// A zero the compiler cannot see through: ties each argument to the previous
// result without changing it, at the same small cost for both libraries.
std::uint64_t opaque_zero() {
  std::uint64_t zero = 0;
  asm volatile("" : "+r"(zero));
  return zero;
}

double chained(double argument, double previous, std::uint64_t zero) {
  return std::bit_cast<double>(std::bit_cast<std::uint64_t>(argument) | (std::bit_cast<std::uint64_t>(previous) & zero));
}

// Marks a result as used.
void keep(double r) { asm volatile("" : : "x"(r)); }

// CPU time of this thread: a sample loses nothing while another process has the core.
double thread_seconds() {
  timespec t;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

// Each runs `passes` passes over the batch and returns the seconds taken.
double unary_throughput(unary_function f, const argument_set& set, std::size_t passes) {
  const double start = thread_seconds();
  for (std::size_t p = 0; p < passes; ++p)
    for (std::size_t i = 0; i < batch; ++i) keep(f(set.xs[i]));
  return thread_seconds() - start;
}

double unary_latency(unary_function f, const argument_set& set, std::size_t passes) {
  const std::uint64_t zero = opaque_zero();
  double r = 0;
  const double start = thread_seconds();
  for (std::size_t p = 0; p < passes; ++p)
    for (std::size_t i = 0; i < batch; ++i) r = f(chained(set.xs[i], r, zero));
  const double seconds = thread_seconds() - start;
  keep(r);
  return seconds;
}

double binary_throughput(binary_function f, const argument_set& set, std::size_t passes) {
  const double start = thread_seconds();
  for (std::size_t p = 0; p < passes; ++p)
    for (std::size_t i = 0; i < batch; ++i) keep(f(set.xs[i], set.ys[i]));
  return thread_seconds() - start;
}

double binary_latency(binary_function f, const argument_set& set, std::size_t passes) {
  const std::uint64_t zero = opaque_zero();
  double r = 0;
  const double start = thread_seconds();
  for (std::size_t p = 0; p < passes; ++p)
    for (std::size_t i = 0; i < batch; ++i) r = f(chained(set.xs[i], r, zero), set.ys[i]);
  const double seconds = thread_seconds() - start;
  keep(r);
  return seconds;
}

// One row measured one way: ours and the platform's function on one argument set.
struct bench_case {
  std::string name;
  bool latency;
  unary_function ours_unary, libm_unary;     // set for a unary row
  binary_function ours_binary, libm_binary;  // set for a binary row
  const argument_set* set;
};

double time_passes(const bench_case& c, bool ours, std::size_t passes) {
  if (c.ours_unary != nullptr) {
    const unary_function f = ours ? c.ours_unary : c.libm_unary;
    return c.latency ? unary_latency(f, *c.set, passes) : unary_throughput(f, *c.set, passes);
  }
  const binary_function f = ours ? c.ours_binary : c.libm_binary;
  return c.latency ? binary_latency(f, *c.set, passes) : binary_throughput(f, *c.set, passes);
}

struct settings {
  int repetitions = 15;          // ratios per case
  int tries = 16;                // sweeps per repetition
  double sample_seconds = 0.001; // one timing
  std::string filter;             // rows whose name matches, all when empty
};

// Seconds of one timing of ours and one of libm, taken back to back.
struct timing_pair {
  double ours = 0;
  double libm = 0;
};

timing_pair time_pair(const bench_case& c, std::size_t passes, bool ours_first) {
  // One untimed pass each first: the previous case left other code and data in the caches.
  time_passes(c, true, 1);
  time_passes(c, false, 1);
  timing_pair t;
  if (ours_first) {
    t.ours = time_passes(c, true, passes);
    t.libm = time_passes(c, false, passes);
  } else {
    t.libm = time_passes(c, false, passes);
    t.ours = time_passes(c, true, passes);
  }
  return t;
}

// The pass count whose two timings together take about two sample times.
std::size_t calibrated_passes(const bench_case& c, const settings& s) {
  std::size_t passes = 1;
  for (;;) {
    const timing_pair t = time_pair(c, passes, true);
    if (t.ours + t.libm >= 2 * s.sample_seconds) return passes;
    passes *= 2;
  }
}

// The value at fraction q of the sorted values (nearest rank).
double quantile(std::vector<double> values, double q) {
  std::sort(values.begin(), values.end());
  return values[static_cast<std::size_t>(q * static_cast<double>(values.size() - 1) + 0.5)];
}

void report(const bench_case& c, std::size_t passes, const std::vector<timing_pair>& kept) {
  std::vector<double> ours, libm, ratios;
  for (const timing_pair& t : kept) {
    ours.push_back(t.ours);
    libm.push_back(t.libm);
    ratios.push_back(t.ours / t.libm);
  }
  const double ns_per_call = 1e9 / static_cast<double>(passes * batch);
  std::printf("%s,%s,%.3f,%.3f,%.4f,%.4f,%.4f\n", c.name.c_str(), c.latency ? "latency" : "throughput",
              quantile(ours, 0.5) * ns_per_call, quantile(libm, 0.5) * ns_per_call, quantile(ratios, 0.5),
              quantile(ratios, 0.25), quantile(ratios, 0.75));
}

// The processors this program may run on.
std::vector<int> allowed_cpus() {
  cpu_set_t set;
  std::vector<int> cpus;
  if (sched_getaffinity(0, sizeof set, &set) == 0)
    for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu)
      if (CPU_ISSET(cpu, &set)) cpus.push_back(cpu);
  return cpus;
}

void run_on(int cpu) {
  cpu_set_t set;
  CPU_ZERO(&set);
  CPU_SET(cpu, &set);
  sched_setaffinity(0, sizeof set, &set);
}

void measure(const std::vector<bench_case>& cases, const settings& s) {
  std::vector<std::size_t> passes;
  for (const bench_case& c : cases) passes.push_back(calibrated_passes(c, s));
  // A core's speed depends also on what shares its hardware outside this
  // machine: each round of sweeps runs on the next allowed processor in turn.
  const std::vector<int> cpus = allowed_cpus();
  // pairs[t][r][i]: case i in sweep (t, r); sweep_seconds[t][r]: that sweep's total.
  std::vector<std::vector<std::vector<timing_pair>>> pairs(
      s.tries, std::vector<std::vector<timing_pair>>(s.repetitions, std::vector<timing_pair>(cases.size())));
  std::vector<std::vector<double>> sweep_seconds(s.tries, std::vector<double>(s.repetitions, 0.0));
  for (int t = 0; t < s.tries; ++t) {
    if (!cpus.empty()) run_on(cpus[t % cpus.size()]);
    for (int r = 0; r < s.repetitions; ++r) {
      for (std::size_t i = 0; i < cases.size(); ++i) {
        const timing_pair pair = time_pair(cases[i], passes[i], (r + t) % 2 == 0);
        pairs[t][r][i] = pair;
        sweep_seconds[t][r] += pair.ours + pair.libm;
      }
    }
  }
  // Repetition r keeps, for every case alike, the pairs of its fastest sweep:
  // the moment the core was least disturbed.
  std::vector<std::vector<timing_pair>> kept(cases.size());
  for (int r = 0; r < s.repetitions; ++r) {
    int fastest = 0;
    for (int t = 1; t < s.tries; ++t)
      if (sweep_seconds[t][r] < sweep_seconds[fastest][r]) fastest = t;
    for (std::size_t i = 0; i < cases.size(); ++i) kept[i].push_back(pairs[fastest][r][i]);
  }
  for (std::size_t i = 0; i < cases.size(); ++i) report(cases[i], passes[i], kept[i]);
}

// Reads --repetitions=N, --tries=K, --sample-ms=M and --filter=REGEX; false on anything else.
bool read_settings(int argc, char** argv, settings& s) {
  for (int i = 1; i < argc; ++i) {
    const char* a = argv[i];
    if (std::strncmp(a, "--repetitions=", 14) == 0) {
      s.repetitions = std::atoi(a + 14);
      if (s.repetitions < 1) return false;
    } else if (std::strncmp(a, "--tries=", 8) == 0) {
      s.tries = std::atoi(a + 8);
      if (s.tries < 1) return false;
    } else if (std::strncmp(a, "--sample-ms=", 12) == 0) {
      s.sample_seconds = std::atof(a + 12) / 1000.0;
      if (!(s.sample_seconds > 0)) return false;
    } else if (std::strncmp(a, "--filter=", 9) == 0) {
      s.filter = a + 9;
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  settings s;
  if (!read_settings(argc, argv, s)) {
    std::fprintf(stderr, "usage: math_bench [--repetitions=N] [--tries=K] [--sample-ms=M] [--filter=REGEX]\n");
    return 2;
  }
  // Plain names in this program bind to our definitions: ask libm.so.6 itself.
  void* libm = dlopen("libm.so.6", RTLD_NOW | RTLD_LOCAL);
  if (libm == nullptr) {
    std::fprintf(stderr, "math_bench: cannot load libm.so.6: %s\n", dlerror());
    return 1;
  }
  const std::regex filter(s.filter);
  std::vector<argument_set> sets;
  sets.reserve(std::size(unary_rows) + std::size(binary_rows));
  std::vector<bench_case> cases;

  for (const unary_row& row : unary_rows) {
    auto platform = reinterpret_cast<unary_function>(dlsym(libm, row.libm_symbol));
    if (platform == nullptr) {
      std::fprintf(stderr, "math_bench: libm.so.6 has no %s\n", row.libm_symbol);
      return 1;
    }
    if (!std::regex_search(row.name, filter)) continue;
    const argument_set& set = sets.emplace_back(row.arguments());
    for (bool latency : {false, true}) cases.push_back({row.name, latency, row.ours, platform, nullptr, nullptr, &set});
  }
  for (const binary_row& row : binary_rows) {
    auto platform = reinterpret_cast<binary_function>(dlsym(libm, row.libm_symbol));
    if (platform == nullptr) {
      std::fprintf(stderr, "math_bench: libm.so.6 has no %s\n", row.libm_symbol);
      return 1;
    }
    if (!std::regex_search(row.name, filter)) continue;
    const argument_set& set = sets.emplace_back(row.arguments());
    for (bool latency : {false, true}) cases.push_back({row.name, latency, nullptr, nullptr, row.ours, platform, &set});
  }

  std::printf("function,kind,ours_ns,libm_ns,ratio_median,ratio_q1,ratio_q3\n");
  measure(cases, s);
  return 0;
}
