// Our math functions against the platform libm's, on the same arguments:
// throughput (independent calls) and latency (each argument depends on the
// previous result). Benchmark names are <function>/<ours|libm>/<throughput|latency>;
// bench/math_table.sh turns a run into a table.
#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <random>
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

void unary_throughput(benchmark::State& state, unary_function f, const argument_set& set) {
  for (auto _ : state) {
    for (std::size_t i = 0; i < batch; ++i) {
      double r = f(set.xs[i]);
      benchmark::DoNotOptimize(r);
    }
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * batch));
}

void unary_latency(benchmark::State& state, unary_function f, const argument_set& set) {
  std::uint64_t zero = opaque_zero();
  double r = 0;
  for (auto _ : state) {
    for (std::size_t i = 0; i < batch; ++i) r = f(chained(set.xs[i], r, zero));
  }
  benchmark::DoNotOptimize(r);
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * batch));
}

void binary_throughput(benchmark::State& state, binary_function f, const argument_set& set) {
  for (auto _ : state) {
    for (std::size_t i = 0; i < batch; ++i) {
      double r = f(set.xs[i], set.ys[i]);
      benchmark::DoNotOptimize(r);
    }
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * batch));
}

void binary_latency(benchmark::State& state, binary_function f, const argument_set& set) {
  std::uint64_t zero = opaque_zero();
  double r = 0;
  for (auto _ : state) {
    for (std::size_t i = 0; i < batch; ++i) r = f(chained(set.xs[i], r, zero), set.ys[i]);
  }
  benchmark::DoNotOptimize(r);
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * batch));
}

// Argument sets live for the whole run; the benchmarks keep references.
std::vector<argument_set>& argument_store() {
  static std::vector<argument_set> store;
  return store;
}

}  // namespace

int main(int argc, char** argv) {
  // Plain names in this program bind to our definitions: ask libm.so.6 itself.
  void* libm = dlopen("libm.so.6", RTLD_NOW | RTLD_LOCAL);
  if (libm == nullptr) {
    std::fprintf(stderr, "math_bench: cannot load libm.so.6: %s\n", dlerror());
    return 1;
  }
  auto& store = argument_store();
  store.reserve(std::size(unary_rows) + std::size(binary_rows));

  for (const unary_row& row : unary_rows) {
    auto platform = reinterpret_cast<unary_function>(dlsym(libm, row.libm_symbol));
    if (platform == nullptr) {
      std::fprintf(stderr, "math_bench: libm.so.6 has no %s\n", row.libm_symbol);
      return 1;
    }
    const argument_set& set = store.emplace_back(row.arguments());
    std::string name = row.name;
    benchmark::RegisterBenchmark((name + "/ours/throughput").c_str(), unary_throughput, row.ours, std::cref(set));
    benchmark::RegisterBenchmark((name + "/libm/throughput").c_str(), unary_throughput, platform, std::cref(set));
    benchmark::RegisterBenchmark((name + "/ours/latency").c_str(), unary_latency, row.ours, std::cref(set));
    benchmark::RegisterBenchmark((name + "/libm/latency").c_str(), unary_latency, platform, std::cref(set));
  }
  for (const binary_row& row : binary_rows) {
    auto platform = reinterpret_cast<binary_function>(dlsym(libm, row.libm_symbol));
    if (platform == nullptr) {
      std::fprintf(stderr, "math_bench: libm.so.6 has no %s\n", row.libm_symbol);
      return 1;
    }
    const argument_set& set = store.emplace_back(row.arguments());
    std::string name = row.name;
    benchmark::RegisterBenchmark((name + "/ours/throughput").c_str(), binary_throughput, row.ours, std::cref(set));
    benchmark::RegisterBenchmark((name + "/libm/throughput").c_str(), binary_throughput, platform, std::cref(set));
    benchmark::RegisterBenchmark((name + "/ours/latency").c_str(), binary_latency, row.ours, std::cref(set));
    benchmark::RegisterBenchmark((name + "/libm/latency").c_str(), binary_latency, platform, std::cref(set));
  }

  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
