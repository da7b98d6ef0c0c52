// Declarations shared between the modules of the math library.
#pragma once

#include "korvel_math.h"
#include "libm_bits.h"
#include "libm_platform.h"

// errno values the handler stores.
inline constexpr int LIBM_EDOM = 33;
inline constexpr int LIBM_ERANGE = 34;

// Gives `plain` the definition of `strong` as a weak alias, e.g. sqrt -> __sqrt.
#define LIBM_WEAK_ALIAS(plain, strong) \
  extern "C" __typeof__(strong) plain __attribute__((weak, alias(#strong)))

// The calling thread's floating-point environment (fenv_platform.cpp).
// Library-internal: never in the export list.
// Exception bits: x86-64's MXCSR flags (the C library's FE_* there); the
// portable layer maps them to the FE_* of its processor.
inline constexpr unsigned LIBM_FE_INVALID = 0x01;
inline constexpr unsigned LIBM_FE_DIVBYZERO = 0x04;
inline constexpr unsigned LIBM_FE_OVERFLOW = 0x08;
inline constexpr unsigned LIBM_FE_UNDERFLOW = 0x10;
inline constexpr unsigned LIBM_FE_INEXACT = 0x20;
inline constexpr unsigned LIBM_FE_ALL = 0x3d;

#define LIBM_INTERNAL __attribute__((visibility("hidden")))

// Exceptions whose trap is enabled in the SSE unit or the x87 unit (feenableexcept
// sets both). Reads only.
LIBM_INTERNAL unsigned __libm_fe_enabled_traps() noexcept;
// True when the SSE rounding direction is to nearest. Reads only.
LIBM_INTERNAL bool __libm_fe_round_to_nearest() noexcept;
// Sets accrued exception flags without trapping; flags already set stay set.
LIBM_INTERNAL void __libm_fe_set_flags(unsigned flags) noexcept;

// Each raises one IEEE exception as the named real operation would, and returns
// its default result with the sign of `sign_of`. Where a trap that the
// operation would take is enabled (or, for overflow and underflow, where the
// rounding is directed) the real operation is performed, so the trap is taken
// and the rounding acts on the result; otherwise the flags are set directly.
// 1/0: division by zero, returns ±inf.
LIBM_INTERNAL double __libm_fe_divbyzero(double sign_of) noexcept;
// fminx * fminx: underflow and inexact, returns ±0 (±fminx rounding away from zero).
LIBM_INTERNAL double __libm_fe_underflow(double sign_of) noexcept;
// fmaxx * fmaxx: overflow and inexact, returns ±inf (±fmaxx rounding toward zero).
LIBM_INTERNAL double __libm_fe_overflow(double sign_of) noexcept;
// inf - inf: invalid, returns the quiet NaN 0x7FFFFFFFFFFFFFFF signed like
// `sign_of`; the real operation's NaN when the invalid trap is enabled.
LIBM_INTERNAL double __libm_fe_invalid(double sign_of) noexcept;
