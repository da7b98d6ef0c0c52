// The processor-specific operations of the math library, each in two forms that
// give the same bits and the same flags: x86-64 assembly (the fast path, kept in
// the vector registers) and portable C++ for every other processor. The form is
// chosen at compile time; KORVEL_PORTABLE selects the portable one on x86-64 too.
#pragma once

#include <cstdint>

#include "libm_bits.h"

#if defined(__x86_64__) && !defined(KORVEL_PORTABLE)
#define LIBM_X86_64 1
#else
#define LIBM_X86_64 0
#endif

#if LIBM_X86_64

// Integer operations on the pattern of a double in its own vector register:
// the result goes on to floating-point operations without a round trip through
// the general registers.
inline double pattern_and(double x, std::uint64_t mask) {
  asm("andpd %1, %0" : "+x"(x) : "x"(double_from_bits(mask)));
  return x;
}
inline double pattern_or(double x, std::uint64_t bits) {
  asm("orpd %1, %0" : "+x"(x) : "x"(double_from_bits(bits)));
  return x;
}
// Wraps modulo 2^64 like the integer addition.
inline double pattern_add(double x, std::uint64_t addend) {
  asm("paddq %1, %0" : "+x"(x) : "x"(double_from_bits(addend)));
  return x;
}
// (pattern + addend) & mask with both constants read from memory: one
// instruction each, no register spent on them.
template <std::uint64_t addend, std::uint64_t mask>
inline double pattern_add_and(double x) {
  alignas(16) static constexpr std::uint64_t addend_lanes[2] = {addend, 0};
  alignas(16) static constexpr std::uint64_t mask_lanes[2] = {mask, 0};
  asm("paddq %1, %0\n\tpand %2, %0" : "+x"(x) : "m"(addend_lanes), "m"(mask_lanes));
  return x;
}

// v truncated to an int32 (*n) and back to a double, for |v| < 2^31: the
// packed conversions keep it in the vector register. The upper lane is
// cleared first, and 0.0 converts exactly, so the flags are those of the
// scalar conversions of v.
inline double truncate_in_register(double v, std::int32_t* n) {
  double d;
  asm("movq %[v], %[v]\n\t"
      "cvttpd2dq %[v], %[v]\n\t"
      "movd %[v], %[n]\n\t"
      "cvtdq2pd %[v], %[d]"
      : [d] "=x"(d), [n] "=r"(*n), [v] "+x"(v));
  return d;
}

// The correctly rounded IEEE square root as one sqrtsd, never the exported
// sqrt with its error path. In place, because sqrtsd keeps the upper half of
// its destination: a separate destination would wait for its last writer.
inline double hardware_sqrt(double x) {
  asm("sqrtsd %0, %0" : "+x"(x));
  return x;
}

// Keeps an operation whose value is unused alive for the exception flag it raises.
inline void keep_for_flags(double value) { asm volatile("" : : "x"(value)); }

// roundsd (SSE4.1) is there: asked once per call site, answered from a value
// the C runtime fills at start-up.
inline bool has_round_instruction() { return __builtin_cpu_supports("sse4.1"); }

// v rounded toward zero by roundsd: the same value and the same inexact flag as
// a conversion to an integer and back, in a third of the latency. Only where
// has_round_instruction().
inline double rounded_toward_zero(double v) {
  double r;
  asm("roundsd $3, %1, %0" : "=x"(r) : "x"(v));
  return r;
}

// x rounded to an integral value by roundsd: up (2), down (1) or in the current
// mode (4); bit 3 stays clear so inexact is raised. The value, the sign of zero
// and the flags are those of ceil_by_two52, floor_by_two52 and rint_by_two52.
// Only where has_round_instruction(). In place: roundsd keeps the upper half of
// its destination, so a separate destination would wait for its last writer.
inline double integral_upward(double x) {
  asm("roundsd $2, %0, %0" : "+x"(x));
  return x;
}
inline double integral_downward(double x) {
  asm("roundsd $1, %0, %0" : "+x"(x));
  return x;
}
inline double integral_current_mode(double x) {
  asm("roundsd $4, %0, %0" : "+x"(x));
  return x;
}

// One step of fmod's long division on the 64-bit significand pair (hi, lo):
// subtract my from mx when it fits, then double mx. Returns true when the
// subtraction leaves nothing. The outcome is unpredictable, so the choice is a
// cmov after a sub/sbb borrow chain (no borrow out means mx >= my), and the
// doubling is add/adc.
inline bool division_step(std::uint32_t& mx_hi, std::uint32_t& mx_lo, std::uint32_t my_hi, std::uint32_t my_lo) {
  std::uint32_t diff_lo;
  std::uint32_t diff_hi;
  asm("movl %[lo], %[dlo]\n\t"
      "movl %[hi], %[dhi]\n\t"
      "subl %[ylo], %[dlo]\n\t"
      "sbbl %[yhi], %[dhi]\n\t"
      "cmovael %[dlo], %[lo]\n\t"
      "cmovael %[dhi], %[hi]"
      : [lo] "+r"(mx_lo), [hi] "+r"(mx_hi), [dlo] "=&r"(diff_lo), [dhi] "=&r"(diff_hi)
      : [ylo] "r"(my_lo), [yhi] "r"(my_hi)
      : "cc");
  if ((mx_hi | mx_lo) == 0) return true;
  asm("addl %[lo], %[lo]\n\t"
      "adcl %[hi], %[hi]"
      : [lo] "+r"(mx_lo), [hi] "+r"(mx_hi)
      :
      : "cc");
  return false;
}

#else  // portable

// With errno semantics the compiler turns the builtin square root below into a
// call of sqrt, our own __sqrt, which calls it again: never build it that way.
#if !defined(__NO_MATH_ERRNO__)
#error "the math library's portable forms need -fno-math-errno"
#endif

#include "integral_by_two52.h"

inline double pattern_and(double x, std::uint64_t mask) { return double_from_bits(double_bits(x) & mask); }
inline double pattern_or(double x, std::uint64_t bits) { return double_from_bits(double_bits(x) | bits); }
inline double pattern_add(double x, std::uint64_t addend) { return double_from_bits(double_bits(x) + addend); }
template <std::uint64_t addend, std::uint64_t mask>
inline double pattern_add_and(double x) {
  return double_from_bits((double_bits(x) + addend) & mask);
}

inline double truncate_in_register(double v, std::int32_t* n) {
  *n = static_cast<std::int32_t>(v);
  return static_cast<double>(*n);
}

// The processor's square root instruction (-fno-math-errno, checked above).
inline double hardware_sqrt(double x) { return __builtin_sqrt(x); }

inline void keep_for_flags(double value) {
  volatile double kept = value;
  (void)kept;
}

inline bool has_round_instruction() { return false; }

// Never reached where has_round_instruction() is false; the same value and flag
// as roundsd for |v| < 2^63.
inline double rounded_toward_zero(double v) { return static_cast<double>(static_cast<std::int64_t>(v)); }

// Never reached where has_round_instruction() is false: the sequences the
// instruction is held to.
inline double integral_upward(double x) { return ceil_by_two52(x); }
inline double integral_downward(double x) { return floor_by_two52(x); }
inline double integral_current_mode(double x) { return rint_by_two52(x); }

inline bool division_step(std::uint32_t& mx_hi, std::uint32_t& mx_lo, std::uint32_t my_hi, std::uint32_t my_lo) {
  std::uint64_t mx = (static_cast<std::uint64_t>(mx_hi) << 32) | mx_lo;
  const std::uint64_t my = (static_cast<std::uint64_t>(my_hi) << 32) | my_lo;
  if (mx >= my) mx -= my;
  const bool exact = mx == 0;
  if (!exact) mx += mx;
  mx_hi = static_cast<std::uint32_t>(mx >> 32);
  mx_lo = static_cast<std::uint32_t>(mx);
  return exact;
}

#endif

// The instruction sets the batch entry points may use beyond the architecture's
// baseline, asked once by their dispatcher. x86-64: SSE4.2, AVX2 and AVX-512
// (F, BW, DQ, VL) as the processor and the system provide them; aarch64: SVE
// (NEON is the baseline); everywhere else, and in the portable build, none.
inline constexpr unsigned LIBM_BATCH_SSE4 = 0x1;
inline constexpr unsigned LIBM_BATCH_AVX2 = 0x2;
inline constexpr unsigned LIBM_BATCH_AVX512 = 0x4;
inline constexpr unsigned LIBM_BATCH_SVE = 0x8;

#if LIBM_X86_64

inline unsigned batch_instruction_sets() {
  unsigned sets = 0;
  if (__builtin_cpu_supports("sse4.2")) sets |= LIBM_BATCH_SSE4;
  // The AVX answers include the system's saving of the wider registers.
  if ((sets & LIBM_BATCH_SSE4) && __builtin_cpu_supports("avx2")) sets |= LIBM_BATCH_AVX2;
  if ((sets & LIBM_BATCH_AVX2) && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
      __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("avx512vl"))
    sets |= LIBM_BATCH_AVX512;
  return sets;
}

#elif defined(__aarch64__) && defined(__linux__)

#include <sys/auxv.h>

inline unsigned batch_instruction_sets() {
  constexpr unsigned long hwcap_sve = 1UL << 22;  // HWCAP_SVE of the Linux ABI
  return (getauxval(AT_HWCAP) & hwcap_sve) != 0 ? LIBM_BATCH_SVE : 0;
}

#else  // portable

inline unsigned batch_instruction_sets() { return 0; }

#endif
