// Accuracy of our 16 functions and of the platform libm on the same arguments
// (the accuracy tests' sets, fixed seeds), against MPFR: maximum and mean error
// in ulps of the exact value. Usage: accuracy_table [arguments per function]
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

} // namespace

int main(int argc, char** argv) {
  const std::size_t per_function = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1000000;
  void* libm = dlopen("libm.so.6", RTLD_NOW | RTLD_LOCAL);
  if (libm == nullptr || per_function == 0) {
    std::fprintf(stderr, "usage: accuracy_table [arguments per function] (needs libm.so.6)\n");
    return 1;
  }
  const family families[] = {
      {trig_accuracy_sets, trig_accuracy_set_count},
      {inverse_trig_accuracy_sets, inverse_trig_accuracy_set_count},
      {exp_log_accuracy_sets, exp_log_accuracy_set_count},
      {pow_accuracy_sets, pow_accuracy_set_count},
      {exact_accuracy_sets, exact_accuracy_set_count},
  };
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
