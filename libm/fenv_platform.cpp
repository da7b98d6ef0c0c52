// The floating-point environment on x86-64. Double arithmetic runs in the SSE
// unit, so MXCSR holds the rounding direction and the flags that count; the x87
// control word is read too because the C library's feenableexcept unmasks the
// traps in both units.
#include "libm_internal.h"

namespace {

constexpr unsigned mxcsr_mask_shift = 7;      // exception masks, bits 7-12
constexpr unsigned mxcsr_rounding = 0x6000;   // rounding control, bits 13-14; 0 = nearest

constexpr double Infx = double_from_bits(0x7FF0000000000000);
constexpr double NaNx = double_from_bits(0x7FFFFFFFFFFFFFFF);
constexpr double fmaxx = double_from_bits(0x7FEFFFFFFFFFFFFF);
constexpr double fminx = double_from_bits(0x0000000000000001);

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

double with_sign_of(double magnitude, double sign_of) {
  constexpr std::uint64_t sign_bit = 0x8000000000000000;
  return double_from_bits((double_bits(magnitude) & ~sign_bit) | (double_bits(sign_of) & sign_bit));
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
