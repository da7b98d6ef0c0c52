// The batch entry points: each is a loop of scalar calls over its arrays, run
// by the vector code of the best instruction set this processor has. The
// vector bodies only ever run in round-to-nearest with every trap disabled;
// in any other environment the entries are the plain loop, which is what
// makes directed rounding and traps behave exactly as the scalar calls.
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "batch_targets.h"
#include "libm_internal.h"

namespace {

using korvel_batch::batch_entries;

template <double (*scalar)(double)>
void unary_loop(std::size_t n, const double* x, double* r) {
  for (std::size_t i = 0; i < n; ++i) r[i] = scalar(x[i]);
}
template <double (*scalar)(double, double)>
void binary_loop(std::size_t n, const double* a, const double* b, double* r) {
  for (std::size_t i = 0; i < n; ++i) r[i] = scalar(a[i], b[i]);
}

// No vector code at all: processors below the oldest built instruction set,
// the environments above, and KORVEL_BATCH_TARGET=scalar.
constexpr batch_entries scalar_entries = {
    unary_loop<__sin>,  unary_loop<__cos>,   unary_loop<__tan>,   unary_loop<__asin>,       unary_loop<__acos>,
    unary_loop<__atan>, binary_loop<__atan2>, unary_loop<__exp>,  unary_loop<__log>,        binary_loop<__pow>,
    unary_loop<__sqrt>, unary_loop<__ceil>,  unary_loop<__floor>, unary_loop<__rint>,       binary_loop<__fmod>,
    binary_loop<__remainder>, "scalar"};

struct batch_target {
  const batch_entries* entries;
  unsigned needs;  // LIBM_BATCH_* sets the processor must have
};

// Best first.
constexpr batch_target built_targets[] = {
#if KORVEL_BATCH_X86_64
    {&korvel_batch::entries_N_AVX3, LIBM_BATCH_AVX512 | LIBM_BATCH_AVX2 | LIBM_BATCH_SSE4},
    {&korvel_batch::entries_N_AVX2, LIBM_BATCH_AVX2 | LIBM_BATCH_SSE4},
    {&korvel_batch::entries_N_SSE4, LIBM_BATCH_SSE4},
#elif KORVEL_BATCH_AARCH64
    {&korvel_batch::entries_N_SVE, LIBM_BATCH_SVE},
    {&korvel_batch::entries_N_NEON, 0},
#else
    {&korvel_batch::entries_baseline, 0},
#endif
    {&scalar_entries, 0},
};

// KORVEL_BATCH_TARGET names one target (tests force each in turn); a name
// that is unknown or that this processor cannot run ends the program, since
// a test would otherwise measure another target than it says.
const batch_entries* select_target() {
  const unsigned sets = batch_instruction_sets();
  const char* forced = std::getenv("KORVEL_BATCH_TARGET");
  for (const batch_target& target : built_targets) {
    const bool supported = (target.needs & sets) == target.needs;
    if (forced == nullptr || forced[0] == '\0') {
      if (supported) return target.entries;
      continue;
    }
    if (std::strcmp(forced, target.entries->name) != 0) continue;
    if (supported) return target.entries;
    std::fprintf(stderr, "korvel_math: KORVEL_BATCH_TARGET=%s: this processor does not have it\n", forced);
    std::abort();
  }
  std::fprintf(stderr, "korvel_math: KORVEL_BATCH_TARGET=%s: no such batch target; built:", forced);
  for (const batch_target& target : built_targets) std::fprintf(stderr, " %s", target.entries->name);
  std::fprintf(stderr, "\n");
  std::abort();
}

// Chosen on first use; threads racing there choose the same table.
std::atomic<const batch_entries*> selected_target{nullptr};

const batch_entries& target() {
  const batch_entries* entries = selected_target.load(std::memory_order_acquire);
  if (entries == nullptr) {
    entries = select_target();
    selected_target.store(entries, std::memory_order_release);
  }
  return *entries;
}

// The vector bodies hold only in the default environment.
const batch_entries& target_for_this_call() {
  if (__libm_fe_enabled_traps() != 0 || !__libm_fe_round_to_nearest()) return scalar_entries;
  return target();
}

}  // namespace

#define KORVEL_BATCH_UNARY(fn)                                                   \
  extern "C" void korvel_v##fn(size_t n, const double* x, double* r) noexcept { \
    if (n == 0) return;                                                          \
    target_for_this_call().fn(n, x, r);                                          \
  }
#define KORVEL_BATCH_BINARY(fn, a, b)                                                        \
  extern "C" void korvel_v##fn(size_t n, const double* a, const double* b, double* r) noexcept { \
    if (n == 0) return;                                                                      \
    target_for_this_call().fn(n, a, b, r);                                                   \
  }

KORVEL_BATCH_UNARY(sin)
KORVEL_BATCH_UNARY(cos)
KORVEL_BATCH_UNARY(tan)
KORVEL_BATCH_UNARY(asin)
KORVEL_BATCH_UNARY(acos)
KORVEL_BATCH_UNARY(atan)
KORVEL_BATCH_BINARY(atan2, y, x)
KORVEL_BATCH_UNARY(exp)
KORVEL_BATCH_UNARY(log)
KORVEL_BATCH_BINARY(pow, x, y)
KORVEL_BATCH_UNARY(sqrt)
KORVEL_BATCH_UNARY(ceil)
KORVEL_BATCH_UNARY(floor)
KORVEL_BATCH_UNARY(rint)
KORVEL_BATCH_BINARY(fmod, x, y)
KORVEL_BATCH_BINARY(remainder, x, y)

extern "C" const char* korvel_batch_target(void) noexcept { return target().name; }
