// Whether the batch target that KORVEL_BATCH_TARGET forces can run on this
// processor: the dispatcher ends a program that forces one it cannot run, so
// a test run per target skips itself instead.
#pragma once

#include <cstdlib>
#include <cstring>

inline bool forced_batch_target_runs_here() {
  const char* forced = std::getenv("KORVEL_BATCH_TARGET");
  if (forced == nullptr) return true;
#if defined(__x86_64__)
  if (std::strcmp(forced, "avx512") == 0)
    return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
           __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("avx512vl");
  if (std::strcmp(forced, "avx2") == 0) return __builtin_cpu_supports("avx2");
  if (std::strcmp(forced, "sse4") == 0) return __builtin_cpu_supports("sse4.2");
#endif
  return true;
}
