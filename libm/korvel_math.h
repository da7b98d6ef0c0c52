// The exported interface of the math library, C linkage. Every public function
// has a strong name with two leading underscores (declared here) and a weak
// alias with the plain name at the same address.
#pragma once

extern "C" {

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

double __libm_SVID_libm_err(double x, double y, int type) noexcept;
int* __libm_errno() noexcept;
int __matherr(struct exception* record) noexcept;
int matherr(struct exception* record) noexcept;

double __sqrt(double x) noexcept;
double __ceil(double x) noexcept;
double __floor(double x) noexcept;
double __rint(double x) noexcept;
double __fmod(double x, double y) noexcept;
double __remainder(double x, double y) noexcept;

double __sin(double x) noexcept;
double __cos(double x) noexcept;
double __tan(double x) noexcept;

double __atan(double x) noexcept;
double __atan2(double y, double x) noexcept;
double __asin(double x) noexcept;
double __acos(double x) noexcept;

double __exp(double x) noexcept;
double __log(double x) noexcept;

double __pow(double x, double y) noexcept;

// Kernels shared by sin, cos and tan. x + y is a reduced argument (head and
// tail, |x| < 0.7890625); k_tan gives tan(x + y) for k = 0, -1/tan(x + y) otherwise.
double __libm__k_sin(double x, double y) noexcept;
double __libm__k_cos(double x, double y) noexcept;
double __libm__k_tan(double x, double y, int k) noexcept;
// Reduction modulo pi/2: writes x - n*pi/2 as y[0] + y[1] and returns n
// (modulo 8 for huge x; callers use only n mod 4).
int __libm__rem_pio2(double x, double* y) noexcept;
// Multi-precision reduction of the chunked argument x[0 .. nx-1] (24-bit
// integer-valued doubles scaled from 2^e0) with the 2/pi bits `ipio2`;
// p = 0 .. 3 selects the precision and how many of y[0], y[1], y[2] are written.
int __libm__rem_pio2m(const double* x, double* y, int e0, int nx, int p, const int* ipio2) noexcept;

}
