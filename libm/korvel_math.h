// The exported interface of the math library, C linkage, for C99 and C++.
// Every public function has a strong name with two leading underscores
// (declared here) and a weak alias with the plain name at the same address.
#pragma once

#include <stddef.h>

// The library's functions never throw; C has no such marker.
#ifdef __cplusplus
#define KORVEL_MATH_NOEXCEPT noexcept
#else
#define KORVEL_MATH_NOEXCEPT
#endif

#ifdef __cplusplus
extern "C" {
#endif

// SVID exception record handed to matherr; matherr may change any field.
struct exception {
  int type;      // error kind, one of the values below
  char* name;    // function name, static storage
  double arg1;
  double arg2;
  double retval; // what the failing call returns in SVID and ANSI modes
};

enum { DOMAIN = 1, SING = 2, OVERFLOW = 3, UNDERFLOW = 4, TLOSS = 5, PLOSS = 6 };

// Error-handling mode: -1 IEEE, 0 SVID, 1 ANSI (this program), 2 strict ANSI.
extern const int _lib_version;

double __libm_SVID_libm_err(double x, double y, int type) KORVEL_MATH_NOEXCEPT;
int* __libm_errno(void) KORVEL_MATH_NOEXCEPT;
// The hook a program may replace with a strong matherr of its own, in C or in
// C++ as written there (no noexcept); it must not throw.
int __matherr(struct exception* record);
int matherr(struct exception* record);

double __sqrt(double x) KORVEL_MATH_NOEXCEPT;
double __ceil(double x) KORVEL_MATH_NOEXCEPT;
double __floor(double x) KORVEL_MATH_NOEXCEPT;
double __rint(double x) KORVEL_MATH_NOEXCEPT;
double __fmod(double x, double y) KORVEL_MATH_NOEXCEPT;
double __remainder(double x, double y) KORVEL_MATH_NOEXCEPT;

double __sin(double x) KORVEL_MATH_NOEXCEPT;
double __cos(double x) KORVEL_MATH_NOEXCEPT;
double __tan(double x) KORVEL_MATH_NOEXCEPT;

double __atan(double x) KORVEL_MATH_NOEXCEPT;
double __atan2(double y, double x) KORVEL_MATH_NOEXCEPT;
double __asin(double x) KORVEL_MATH_NOEXCEPT;
double __acos(double x) KORVEL_MATH_NOEXCEPT;

double __exp(double x) KORVEL_MATH_NOEXCEPT;
double __log(double x) KORVEL_MATH_NOEXCEPT;

double __pow(double x, double y) KORVEL_MATH_NOEXCEPT;

// Kernels shared by sin, cos and tan. x + y is a reduced argument (head and
// tail, |x| < 0.7890625); k_tan gives tan(x + y) for k = 0, -1/tan(x + y) otherwise.
double __libm__k_sin(double x, double y) KORVEL_MATH_NOEXCEPT;
double __libm__k_cos(double x, double y) KORVEL_MATH_NOEXCEPT;
double __libm__k_tan(double x, double y, int k) KORVEL_MATH_NOEXCEPT;
// Reduction modulo pi/2: writes x - n*pi/2 as y[0] + y[1] and returns n
// (modulo 8 for huge x; callers use only n mod 4).
int __libm__rem_pio2(double x, double* y) KORVEL_MATH_NOEXCEPT;
// Multi-precision reduction of the chunked argument x[0 .. nx-1] (24-bit
// integer-valued doubles scaled from 2^e0) with the 2/pi bits `ipio2`;
// p = 0 .. 3 selects the precision and how many of y[0], y[1], y[2] are written.
int __libm__rem_pio2m(const double* x, double* y, int e0, int nx, int p, const int* ipio2) KORVEL_MATH_NOEXCEPT;

// Batch entry points: r[i] = f(x[i]) (or f(x[i], y[i])) for i = 0 .. n-1,
// exactly as a loop of the scalar calls in element order would leave
// everything: result bits, error handler calls (matherr, errno), accrued
// flags, in any rounding mode and with traps. r may be the same array as an
// argument; any alignment. Vector code for the instruction set of
// korvel_batch_target(), chosen once per process (KORVEL_BATCH_TARGET forces one).
void korvel_vsin(size_t n, const double* x, double* r) KORVEL_MATH_NOEXCEPT;
void korvel_vcos(size_t n, const double* x, double* r) KORVEL_MATH_NOEXCEPT;
void korvel_vtan(size_t n, const double* x, double* r) KORVEL_MATH_NOEXCEPT;
void korvel_vasin(size_t n, const double* x, double* r) KORVEL_MATH_NOEXCEPT;
void korvel_vacos(size_t n, const double* x, double* r) KORVEL_MATH_NOEXCEPT;
void korvel_vatan(size_t n, const double* x, double* r) KORVEL_MATH_NOEXCEPT;
void korvel_vatan2(size_t n, const double* y, const double* x, double* r) KORVEL_MATH_NOEXCEPT;
void korvel_vexp(size_t n, const double* x, double* r) KORVEL_MATH_NOEXCEPT;
void korvel_vlog(size_t n, const double* x, double* r) KORVEL_MATH_NOEXCEPT;
void korvel_vpow(size_t n, const double* x, const double* y, double* r) KORVEL_MATH_NOEXCEPT;
void korvel_vsqrt(size_t n, const double* x, double* r) KORVEL_MATH_NOEXCEPT;
void korvel_vceil(size_t n, const double* x, double* r) KORVEL_MATH_NOEXCEPT;
void korvel_vfloor(size_t n, const double* x, double* r) KORVEL_MATH_NOEXCEPT;
void korvel_vrint(size_t n, const double* x, double* r) KORVEL_MATH_NOEXCEPT;
void korvel_vfmod(size_t n, const double* x, const double* y, double* r) KORVEL_MATH_NOEXCEPT;
void korvel_vremainder(size_t n, const double* x, const double* y, double* r) KORVEL_MATH_NOEXCEPT;
// The instruction set the batch entry points use: "avx512", "avx2", "sse4",
// "sve", "neon", "portable" or "scalar".
const char* korvel_batch_target(void) KORVEL_MATH_NOEXCEPT;

#ifdef __cplusplus
}
#endif
