// The batch entry points against loops of scalar calls and the platform's
// vector variants, in ns per element over 4096-element arrays: our batch
// entry, our scalar loop, the platform libm's scalar loop and, where this
// processor has them, libmvec's AVX2 (_ZGVdN4v_*) and AVX-512 (_ZGVeN8v_*)
// variants called through their published names. Each function also runs with
// 2 % special lanes (error cases, special operands, other paths) mixed in.
//
// All variants of a row are timed back to back, in an order that rotates from
// one repetition to the next; each repetition keeps the fastest of several
// sweeps (the least disturbed moment, as math_bench does). A variant reports
// the median of its repetitions with their quartiles, and the ratios to our
// batch entry are medians of per-repetition ratios. bench/batch_table.sh turns
// the output into a table.
//
// Usage: batch_bench [--repetitions=N] [--tries=K] [--sample-ms=M] [--filter=REGEX]
// Output, one CSV line per row and variant:
//   function,variant,ns_median,ns_q1,ns_q3,ratio_to_batch_median,ratio_q1,ratio_q3
#include <dlfcn.h>
#include <immintrin.h>
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

constexpr std::size_t elements = 4096;

using unary_batch = void (*)(size_t, const double*, double*);
using binary_batch = void (*)(size_t, const double*, const double*, double*);
using unary_function = double (*)(double);
using binary_function = double (*)(double, double);
using avx2_unary = __m256d (*)(__m256d);
using avx2_binary = __m256d (*)(__m256d, __m256d);
using avx512_unary = __m512d (*)(__m512d);
using avx512_binary = __m512d (*)(__m512d, __m512d);

struct row {
  const char* name;
  unary_batch batch1;
  binary_batch batch2;
  unary_function ours1;
  binary_function ours2;
  double x_low, x_high, y_low, y_high;  // uniform ranges (y: binary functions)
  bool log_uniform_x;                   // x spread over every binade of [x_low, x_high] instead
  std::vector<double> special;          // the 2 % lanes
};

constexpr double inf = __builtin_inf();
const double nan_value = std::bit_cast<double>(std::uint64_t{0x7ff8000000000000});

const row rows[] = {
    {"sin", korvel_vsin, nullptr, __sin, nullptr, -3.141592653589793, 3.141592653589793, 0, 0, false, {1e22, -1e300, inf, nan_value, 1e6}},
    {"cos", korvel_vcos, nullptr, __cos, nullptr, -3.141592653589793, 3.141592653589793, 0, 0, false, {1e22, -1e300, inf, nan_value, 1e6}},
    {"tan", korvel_vtan, nullptr, __tan, nullptr, -3.141592653589793, 3.141592653589793, 0, 0, false, {1e22, -1e300, inf, nan_value, 1e6}},
    {"asin", korvel_vasin, nullptr, __asin, nullptr, -1.0, 1.0, 0, 0, false, {2.0, -inf, nan_value, 1.0, 1e-20}},
    {"acos", korvel_vacos, nullptr, __acos, nullptr, -1.0, 1.0, 0, 0, false, {2.0, -inf, nan_value, 1.0, 1e-20}},
    {"atan", korvel_vatan, nullptr, __atan, nullptr, -10.0, 10.0, 0, 0, false, {1e30, -inf, nan_value, 1e-20}},
    {"atan2", nullptr, korvel_vatan2, nullptr, __atan2, -10.0, 10.0, -10.0, 10.0, false, {0.0, -inf, nan_value, 1e300}},
    {"exp", korvel_vexp, nullptr, __exp, nullptr, -700.0, 700.0, 0, 0, false, {1000.0, -1000.0, inf, nan_value, 1e-10, -740.0}},
    {"log", korvel_vlog, nullptr, __log, nullptr, 0x1p-1022, 0x1p1023, 0, 0, true, {0.0, -1.0, inf, nan_value, 1.0}},
    {"pow", nullptr, korvel_vpow, nullptr, __pow, 0.01, 100.0, -10.0, 10.0, false, {-2.0, 0.0, inf, nan_value, 1.0}},
    {"sqrt", korvel_vsqrt, nullptr, __sqrt, nullptr, 0x1p-1022, 0x1p1023, 0, 0, true, {-1.0, inf, nan_value, -inf}},
    {"ceil", korvel_vceil, nullptr, __ceil, nullptr, -1e6, 1e6, 0, 0, false, {0x1p60, inf, nan_value, -0x1p53}},
    {"floor", korvel_vfloor, nullptr, __floor, nullptr, -1e6, 1e6, 0, 0, false, {0x1p60, inf, nan_value, -0x1p53}},
    {"rint", korvel_vrint, nullptr, __rint, nullptr, -1e6, 1e6, 0, 0, false, {0x1p60, inf, nan_value, -0x1p53}},
    {"fmod", nullptr, korvel_vfmod, nullptr, __fmod, -1e9, 1e9, -1e3, 1e3, false, {0.0, inf, nan_value}},
    {"remainder", nullptr, korvel_vremainder, nullptr, __remainder, -1e9, 1e9, -1e3, 1e3, false, {0.0, inf, nan_value}},
};

struct arrays {
  std::vector<double> x, y, r;
};

arrays make_arrays(const row& f, bool with_special, std::uint64_t seed) {
  std::mt19937_64 engine(seed);
  std::uniform_real_distribution<double> x_value(f.x_low, f.x_high), y_value(f.y_low, f.y_high);
  std::uniform_real_distribution<double> binade(std::log2(f.x_low), std::log2(f.x_high));
  arrays a{std::vector<double>(elements), std::vector<double>(elements), std::vector<double>(elements)};
  for (std::size_t i = 0; i < elements; ++i) {
    a.x[i] = f.log_uniform_x ? std::exp2(binade(engine)) : x_value(engine);
    a.y[i] = y_value(engine);
    // 2 %: one element in 50, at a random place.
    if (with_special && engine() % 50 == 0) {
      const double s = f.special[engine() % f.special.size()];
      if (engine() % 2 == 0 || f.batch1 != nullptr) a.x[i] = s;
      else a.y[i] = s;
    }
  }
  return a;
}

enum variant { batch_entry, scalar_loop, libm_loop, libmvec_avx2, libmvec_avx512, variant_count };
const char* const variant_names[variant_count] = {"batch", "scalar_loop", "libm_loop", "libmvec_avx2", "libmvec_avx512"};

struct bench_case {
  std::string name;
  const row* f;
  arrays a;
  unary_function libm1 = nullptr;
  binary_function libm2 = nullptr;
  void* avx2 = nullptr;    // _ZGVdN4v(v)_name, or null
  void* avx512 = nullptr;  // _ZGVeN8v(v)_name, or null
};

void keep(const double* r) { asm volatile("" : : "r"(r) : "memory"); }

__attribute__((target("avx2"))) void run_avx2(const bench_case& c) {
  const double* x = c.a.x.data();
  const double* y = c.a.y.data();
  double* r = const_cast<double*>(c.a.r.data());
  for (std::size_t i = 0; i < elements; i += 4) {
    const __m256d vx = _mm256_loadu_pd(x + i);
    const __m256d v = c.f->batch1 ? reinterpret_cast<avx2_unary>(c.avx2)(vx)
                                  : reinterpret_cast<avx2_binary>(c.avx2)(vx, _mm256_loadu_pd(y + i));
    _mm256_storeu_pd(r + i, v);
  }
}

__attribute__((target("avx512f"))) void run_avx512(const bench_case& c) {
  const double* x = c.a.x.data();
  const double* y = c.a.y.data();
  double* r = const_cast<double*>(c.a.r.data());
  for (std::size_t i = 0; i < elements; i += 8) {
    const __m512d vx = _mm512_loadu_pd(x + i);
    const __m512d v = c.f->batch1 ? reinterpret_cast<avx512_unary>(c.avx512)(vx)
                                  : reinterpret_cast<avx512_binary>(c.avx512)(vx, _mm512_loadu_pd(y + i));
    _mm512_storeu_pd(r + i, v);
  }
}

void run(const bench_case& c, variant v) {
  const double* x = c.a.x.data();
  const double* y = c.a.y.data();
  double* r = const_cast<double*>(c.a.r.data());
  switch (v) {
  case batch_entry:
    if (c.f->batch1) c.f->batch1(elements, x, r);
    else c.f->batch2(elements, x, y, r);
    break;
  case scalar_loop:
    if (c.f->ours1) for (std::size_t i = 0; i < elements; ++i) r[i] = c.f->ours1(x[i]);
    else for (std::size_t i = 0; i < elements; ++i) r[i] = c.f->ours2(x[i], y[i]);
    break;
  case libm_loop:
    if (c.libm1) for (std::size_t i = 0; i < elements; ++i) r[i] = c.libm1(x[i]);
    else for (std::size_t i = 0; i < elements; ++i) r[i] = c.libm2(x[i], y[i]);
    break;
  case libmvec_avx2: run_avx2(c); break;
  case libmvec_avx512: run_avx512(c); break;
  default: break;
  }
  keep(r);
}

bool available(const bench_case& c, variant v) {
  return (v != libmvec_avx2 || c.avx2 != nullptr) && (v != libmvec_avx512 || c.avx512 != nullptr);
}

double thread_seconds() {
  timespec t;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

// ns per element of `passes` calls over the arrays.
double time_ns(const bench_case& c, variant v, std::size_t passes) {
  run(c, v);  // untimed: the previous variant left other code in the caches
  const double start = thread_seconds();
  for (std::size_t p = 0; p < passes; ++p) run(c, v);
  return (thread_seconds() - start) * 1e9 / static_cast<double>(passes * elements);
}

struct settings {
  int repetitions = 11;
  int tries = 5;
  double sample_seconds = 0.002;
  std::string filter;
};

double quantile(std::vector<double> values, double q) {
  std::sort(values.begin(), values.end());
  return values[static_cast<std::size_t>(q * static_cast<double>(values.size() - 1) + 0.5)];
}

void measure(const bench_case& c, const settings& s) {
  // Passes per timing: the slowest variant (our scalar loop or libm's) takes about one sample time.
  std::size_t passes = 1;
  while (time_ns(c, libm_loop, passes) * 1e-9 * static_cast<double>(passes * elements) < s.sample_seconds) passes *= 2;
  // ns[v][repetition]: the fastest sweep's timings.
  std::vector<std::vector<double>> ns(variant_count);
  for (int rep = 0; rep < s.repetitions; ++rep) {
    std::vector<double> best(variant_count, 0.0);
    double best_total = -1;
    for (int t = 0; t < s.tries; ++t) {
      std::vector<double> sweep(variant_count, 0.0);
      double total = 0;
      for (int k = 0; k < variant_count; ++k) {
        const variant v = static_cast<variant>((k + rep + t) % variant_count);
        if (!available(c, v)) continue;
        sweep[v] = time_ns(c, v, passes);
        total += sweep[v];
      }
      if (best_total < 0 || total < best_total) {
        best_total = total;
        best = sweep;
      }
    }
    for (int v = 0; v < variant_count; ++v) ns[v].push_back(best[v]);
  }
  for (int v = 0; v < variant_count; ++v) {
    if (!available(c, static_cast<variant>(v))) continue;
    std::vector<double> ratios;
    for (int rep = 0; rep < s.repetitions; ++rep) ratios.push_back(ns[v][rep] / ns[batch_entry][rep]);
    std::printf("%s,%s,%.3f,%.3f,%.3f,%.3f,%.3f,%.3f\n", c.name.c_str(), variant_names[v], quantile(ns[v], 0.5),
                quantile(ns[v], 0.25), quantile(ns[v], 0.75), quantile(ratios, 0.5), quantile(ratios, 0.25),
                quantile(ratios, 0.75));
    std::fflush(stdout);
  }
}

bool read_settings(int argc, char** argv, settings& s) {
  for (int i = 1; i < argc; ++i) {
    const char* a = argv[i];
    if (std::strncmp(a, "--repetitions=", 14) == 0) s.repetitions = std::atoi(a + 14);
    else if (std::strncmp(a, "--tries=", 8) == 0) s.tries = std::atoi(a + 8);
    else if (std::strncmp(a, "--sample-ms=", 12) == 0) s.sample_seconds = std::atof(a + 12) / 1000.0;
    else if (std::strncmp(a, "--filter=", 9) == 0) s.filter = a + 9;
    else return false;
  }
  return s.repetitions >= 1 && s.tries >= 1 && s.sample_seconds > 0;
}

}  // namespace

int main(int argc, char** argv) {
  settings s;
  if (!read_settings(argc, argv, s)) {
    std::fprintf(stderr, "usage: batch_bench [--repetitions=N] [--tries=K] [--sample-ms=M] [--filter=REGEX]\n");
    return 2;
  }
  // Plain names in this program bind to our definitions: ask the libraries themselves.
  void* libm = dlopen("libm.so.6", RTLD_NOW | RTLD_LOCAL);
  void* libmvec = dlopen("libmvec.so.1", RTLD_NOW | RTLD_LOCAL);
  if (libm == nullptr) {
    std::fprintf(stderr, "batch_bench: cannot load libm.so.6: %s\n", dlerror());
    return 1;
  }
  const bool has_avx2 = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
  const bool has_avx512 = __builtin_cpu_supports("avx512f");
  const std::regex filter(s.filter);
  std::fprintf(stderr, "batch target: %s\n", korvel_batch_target());
  std::printf("function,variant,ns_median,ns_q1,ns_q3,ratio_to_batch_median,ratio_q1,ratio_q3\n");
  for (const row& f : rows) {
    for (bool special : {false, true}) {
      bench_case c;
      c.name = std::string(f.name) + (special ? "+2%" : "");
      if (!std::regex_search(c.name, filter)) continue;
      c.f = &f;
      c.a = make_arrays(f, special, 17);
      void* plain = dlsym(libm, f.name);
      if (f.batch1) c.libm1 = reinterpret_cast<unary_function>(plain);
      else c.libm2 = reinterpret_cast<binary_function>(plain);
      const std::string parameters = f.batch1 ? "v_" : "vv_";
      if (libmvec != nullptr && has_avx2) c.avx2 = dlsym(libmvec, ("_ZGVdN4" + parameters + f.name).c_str());
      if (libmvec != nullptr && has_avx512) c.avx512 = dlsym(libmvec, ("_ZGVeN8" + parameters + f.name).c_str());
      measure(c, s);
    }
  }
  return 0;
}
