/* A C program built against the unpacked libkorvel-math-dev. Through the
   plain names it must reach our sqrt and fmod: their ANSI-mode domain errors
   answer with the NaN 0x7FFFFFFFFFFFFFFF and EDOM, where the C library's
   answer with 0xFFF8000000000000. */
#include <errno.h>
#include <math.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>

static int check(const char *call, double result, int error) {
  uint64_t bits;
  memcpy(&bits, &result, sizeof bits);
  printf("%s = 0x%016llx, errno %d\n", call, (unsigned long long)bits, error);
  return bits == 0x7FFFFFFFFFFFFFFFull && error == EDOM;
}

int main(void) {
  volatile double minus_one = -1.0, one = 1.0, zero = 0.0;
  errno = 0;
  double root = sqrt(minus_one);
  int sqrt_ok = check("sqrt(-1)", root, errno);
  errno = 0;
  double rest = fmod(one, zero);
  int fmod_ok = check("fmod(1, 0)", rest, errno);
  return sqrt_ok && fmod_ok ? 0 : 1;
}
