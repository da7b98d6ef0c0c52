// Accuracy of our 16 functions and of the platform libm on the same arguments
// (the accuracy tests' sets, fixed seeds), against MPFR: maximum and mean error
// in ulps of the exact value. Usage: accuracy_table [arguments per function]
// accuracy_table --dump FUNCTION [arguments]: one line per argument instead,
// "x y ours_ulps libm_ulps" (y 0 for one-argument functions), for the plots.
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "accuracy_sets.h"

namespace {

const char* const function_order[] = {"acos", "asin", "atan", "atan2", "sin",  "cos",  "tan",  "exp",
                                       "log",  "pow",  "sqrt", "ceil",  "floor", "rint", "fmod", "remainder"};

struct family {
  const accuracy_set* sets;
  std::size_t count;
};

struct totals {
  std::uint64_t count = 0;
  double max_ulps = 0;
  double sum_ulps = 0;
  double max_rounded_ulps = 0; // against the correctly rounded value, at worst_x, worst_y
  double worst_x = 0;
  double worst_y = 0;
};

void add(totals& t, const accuracy_report& r) {
  t.count += r.count;
  t.sum_ulps += r.sum_exact_ulps;
  if (r.max_exact_ulps > t.max_ulps)
    t.max_ulps = r.max_exact_ulps;
  if (r.max_ulps > t.max_rounded_ulps) {
    t.max_rounded_ulps = r.max_ulps;
    t.worst_x = r.worst_x;
    t.worst_y = r.worst_y;
  }
}

// The same set with the platform's function in place of ours.
accuracy_set with_platform(const accuracy_set& set, void* libm) {
  accuracy_set platform = set;
  void* symbol = dlsym(libm, set.function);
  if (set.ours_unary != nullptr)
    platform.ours_unary = reinterpret_cast<unary_function>(symbol);
  else
    platform.ours_binary = reinterpret_cast<binary_function>(symbol);
  return platform;
}

// Every argument of the function's sets with our error and the platform's, in ulps of the exact value.
int dump_errors(const char* function, std::size_t per_function, void* libm, std::span<const family> families) {
  std::vector<const accuracy_set*> sets;
  for (const family& f : families)
    for (const accuracy_set& set : std::span(f.sets, f.count))
      if (std::string(set.function) == function) sets.push_back(&set);
  if (sets.empty()) return 1;
  for (const accuracy_set* set : sets) {
    const argument_pairs arguments = set->make(per_function / sets.size());
    const accuracy_set platform = with_platform(*set, libm);
    for (std::size_t i = 0; i < arguments.xs.size(); i++) {
      const double x = arguments.xs[i];
      if (set->ours_unary != nullptr) {
        std::printf("%.17g 0 %.4f %.4f\n", x, ulps_from_exact_unary(set->reference_unary, x, set->ours_unary(x)),
                    ulps_from_exact_unary(set->reference_unary, x, platform.ours_unary(x)));
      } else {
        const double y = arguments.ys[i];
        std::printf("%.17g %.17g %.4f %.4f\n", x, y, ulps_from_exact_binary(set->reference_binary, x, y, set->ours_binary(x, y)),
                    ulps_from_exact_binary(set->reference_binary, x, y, platform.ours_binary(x, y)));
      }
    }
  }
  return 0;
}

} // namespace

int main(int argc, char** argv) {
  const char* dumped = argc > 2 && std::string(argv[1]) == "--dump" ? argv[2] : nullptr;
  const int count_index = dumped != nullptr ? 3 : 1;
  const std::size_t per_function = argc > count_index ? std::strtoull(argv[count_index], nullptr, 10) : 1000000;
  void* libm = dlopen("libm.so.6", RTLD_NOW | RTLD_LOCAL);
  if (libm == nullptr || per_function == 0) {
    std::fprintf(stderr, "usage: accuracy_table [--dump FUNCTION] [arguments per function] (needs libm.so.6)\n");
    return 1;
  }
  const family families[] = {
      {trig_accuracy_sets, trig_accuracy_set_count},
      {inverse_trig_accuracy_sets, inverse_trig_accuracy_set_count},
      {exp_log_accuracy_sets, exp_log_accuracy_set_count},
      {pow_accuracy_sets, pow_accuracy_set_count},
      {exact_accuracy_sets, exact_accuracy_set_count},
  };
  if (dumped != nullptr) return dump_errors(dumped, per_function, libm, families);
  std::printf("| function | arguments | ours max ulp | ours mean ulp | libm max ulp | libm mean ulp | our worst argument (vs correctly rounded) |\n");
  std::printf("|---|---|---|---|---|---|---|\n");
  for (const char* function : function_order) {
    std::vector<const accuracy_set*> sets;
    for (const family& f : families)
      for (const accuracy_set& set : std::span(f.sets, f.count))
        if (std::string(set.function) == function) sets.push_back(&set);
    if (sets.empty()) {
      std::printf("| %s | no accuracy set | | | | | |\n", function);
      continue;
    }
    totals ours, platform;
    for (const accuracy_set* set : sets) {
      const std::size_t count = per_function / sets.size();
      add(ours, run_accuracy_set(*set, count));
      add(platform, run_accuracy_set(with_platform(*set, libm), count));
    }
    char worst[96] = "-";
    const bool unary = sets.front()->ours_unary != nullptr;
    if (ours.max_rounded_ulps > 0 && unary)
      std::snprintf(worst, sizeof worst, "%a", ours.worst_x);
    else if (ours.max_rounded_ulps > 0)
      std::snprintf(worst, sizeof worst, "%a, %a", ours.worst_x, ours.worst_y);
    std::printf("| %s | %llu | %.3f | %.4f | %.3f | %.4f | %s |\n", function,
                static_cast<unsigned long long>(ours.count), ours.max_ulps, ours.sum_ulps / ours.count,
                platform.max_ulps, platform.sum_ulps / platform.count, worst);
    std::fflush(stdout);
  }
  return 0;
}
