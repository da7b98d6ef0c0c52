// The calling thread's floating-point environment, read and changed without
// disturbing the rest of it. On x86-64 double arithmetic runs in the SSE unit,
// so MXCSR holds the rounding direction and the flags that count; the x87
// control word is read too because the C library's feenableexcept unmasks the
// traps in both units. Elsewhere (and with KORVEL_PORTABLE) the C library's
// <fenv.h> does it.
#include "libm_internal.h"

#if !LIBM_X86_64
#include <fenv.h>
#endif

namespace {

constexpr double Infx = double_from_bits(0x7FF0000000000000);
constexpr double NaNx = double_from_bits(0x7FFFFFFFFFFFFFFF);
constexpr double fmaxx = double_from_bits(0x7FEFFFFFFFFFFFFF);
constexpr double fminx = double_from_bits(0x0000000000000001);

double with_sign_of(double magnitude, double sign_of) {
  constexpr std::uint64_t sign_bit = 0x8000000000000000;
  return double_from_bits((double_bits(magnitude) & ~sign_bit) | (double_bits(sign_of) & sign_bit));
}

}  // namespace

#if LIBM_X86_64

namespace {

constexpr unsigned mxcsr_mask_shift = 7;      // exception masks, bits 7-12
constexpr unsigned mxcsr_rounding = 0x6000;   // rounding control, bits 13-14; 0 = nearest

unsigned read_mxcsr() {
  unsigned value;
  asm volatile("stmxcsr %0" : "=m"(value));
  return value;
}

void write_mxcsr(unsigned value) { asm volatile("ldmxcsr %0" : : "m"(value) : "memory"); }

unsigned read_x87_control() {
  unsigned short value;
  asm volatile("fnstcw %0" : "=m"(value));
  return value;
}

}  // namespace

unsigned __libm_fe_enabled_traps() noexcept {
  // A set mask bit means "does not trap"; a trap counts when either unit takes it.
  unsigned masked_in_both = (read_mxcsr() >> mxcsr_mask_shift) & read_x87_control();
  return ~masked_in_both & LIBM_FE_ALL;
}

bool __libm_fe_round_to_nearest() noexcept { return (read_mxcsr() & mxcsr_rounding) == 0; }

void __libm_fe_set_flags(unsigned flags) noexcept {
  // Loading MXCSR with a flag set never traps, even when that exception is unmasked.
  write_mxcsr(read_mxcsr() | (flags & LIBM_FE_ALL));
}

#else  // portable

namespace {

// The library's exception bits and the C library's, which differ by processor.
struct exception_bit {
  unsigned ours;
  int fenv;
};
constexpr exception_bit exception_bits[] = {{LIBM_FE_INVALID, FE_INVALID},
                                            {LIBM_FE_DIVBYZERO, FE_DIVBYZERO},
                                            {LIBM_FE_OVERFLOW, FE_OVERFLOW},
                                            {LIBM_FE_UNDERFLOW, FE_UNDERFLOW},
                                            {LIBM_FE_INEXACT, FE_INEXACT}};

int to_fenv(unsigned ours) {
  int fenv = 0;
  for (const exception_bit& bit : exception_bits)
    if (ours & bit.ours) fenv |= bit.fenv;
  return fenv;
}

[[maybe_unused]] unsigned from_fenv(int fenv) {  // unused where there are no traps
  unsigned ours = 0;
  for (const exception_bit& bit : exception_bits)
    if (fenv & bit.fenv) ours |= bit.ours;
  return ours;
}

}  // namespace

unsigned __libm_fe_enabled_traps() noexcept {
#if defined(__riscv)
  // The RISC-V floating-point unit has no traps (glibc's fegetexcept is a stub).
  return 0;
#else
  // Cores without trap support report none; a failure means none too.
  const int enabled = fegetexcept();
  return enabled < 0 ? 0 : from_fenv(enabled);
#endif
}

bool __libm_fe_round_to_nearest() noexcept { return fegetround() == FE_TONEAREST; }

void __libm_fe_set_flags(unsigned flags) noexcept {
  const int raised = to_fenv(flags & LIBM_FE_ALL);
  const int trapping = to_fenv(__libm_fe_enabled_traps()) & raised;
  // Setting a flag must not take its trap: such traps are held off around it.
  if (trapping != 0) fedisableexcept(trapping);
  feraiseexcept(raised);
  if (trapping != 0) feenableexcept(trapping);
}

#endif

double __libm_fe_divbyzero(double sign_of) noexcept {
  if (__libm_fe_enabled_traps() & LIBM_FE_DIVBYZERO) {
    volatile double one = 1.0;
    volatile double zero = 0.0;
    return with_sign_of(one / zero, sign_of);
  }
  __libm_fe_set_flags(LIBM_FE_DIVBYZERO);
  return with_sign_of(Infx, sign_of);
}

double __libm_fe_underflow(double sign_of) noexcept {
  // The inexact trap counts too: the real multiplication would take it.
  if ((__libm_fe_enabled_traps() & (LIBM_FE_UNDERFLOW | LIBM_FE_INEXACT)) || !__libm_fe_round_to_nearest()) {
    volatile double tiny = fminx;
    volatile double signed_tiny = with_sign_of(fminx, sign_of);
    return tiny * signed_tiny;
  }
  __libm_fe_set_flags(LIBM_FE_UNDERFLOW | LIBM_FE_INEXACT);
  return with_sign_of(0.0, sign_of);
}

double __libm_fe_overflow(double sign_of) noexcept {
  if ((__libm_fe_enabled_traps() & (LIBM_FE_OVERFLOW | LIBM_FE_INEXACT)) || !__libm_fe_round_to_nearest()) {
    volatile double big = fmaxx;
    volatile double signed_big = with_sign_of(fmaxx, sign_of);
    return big * signed_big;
  }
  __libm_fe_set_flags(LIBM_FE_OVERFLOW | LIBM_FE_INEXACT);
  return with_sign_of(Infx, sign_of);
}

double __libm_fe_invalid(double sign_of) noexcept {
  if (__libm_fe_enabled_traps() & LIBM_FE_INVALID) {
    volatile double inf = Infx;
    return inf - inf;  // the machine's NaN, deliberately not re-signed
  }
  __libm_fe_set_flags(LIBM_FE_INVALID);
  return with_sign_of(NaNx, sign_of);
}
