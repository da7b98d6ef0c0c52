// The batch entry points' per-target tables: each instruction set's file
// batch_entries.cpp fills one, the dispatcher picks one per process.
// A plain header: included by the dispatcher and by every per-target build.
#pragma once

#include <cstddef>

namespace korvel_batch {

using unary_batch = void (*)(std::size_t n, const double* x, double* r);
using binary_batch = void (*)(std::size_t n, const double* a, const double* b, double* r);

struct batch_entries {
  unary_batch sin, cos, tan, asin, acos, atan;
  binary_batch atan2;
  unary_batch exp, log;
  binary_batch pow;
  unary_batch sqrt, ceil, floor, rint;
  binary_batch fmod, remainder;
  const char* name;  // what korvel_batch_target() reports
};

// The instruction sets built for this architecture; the names follow the
// per-target namespaces (entries_ + HWY_NAMESPACE), except the baseline's.
#if defined(__x86_64__) && !defined(KORVEL_PORTABLE)
#define KORVEL_BATCH_X86_64 1
extern const batch_entries entries_N_SSE4;
extern const batch_entries entries_N_AVX2;
extern const batch_entries entries_N_AVX3;
#elif defined(__aarch64__)
#define KORVEL_BATCH_AARCH64 1
extern const batch_entries entries_N_NEON;
extern const batch_entries entries_N_SVE;
#else
// Every other processor, and x86-64's portable build: Highway's portable form
// (128-bit emulation; one lane where Highway rules the compiler's unsafe for it,
// GCC before 12.3).
#define KORVEL_BATCH_BASELINE 1
extern const batch_entries entries_baseline;
#endif

}  // namespace korvel_batch
