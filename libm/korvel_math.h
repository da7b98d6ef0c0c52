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

}
