/* A plain C program of the platform's <math.h>: it knows nothing of the Korvel
   library. Built twice: normally against the C library's libm (run under
   LD_PRELOAD), and linked against libkorvel_math.so. Each argument
   `name:xbits[:ybits]` (hexadecimal words of doubles) is one call of sin, exp,
   pow or fmod; each call prints its result bits and errno, and every matherr
   call a line of its own before that. Built with MATH_CALLS_SVID_MODE it
   chooses its own error-handling mode. */
#include <errno.h>
#include <math.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

/* The SVID record, declared here as a program written for SVID's matherr would. */
struct exception {
  int type;
  char *name;
  double arg1;
  double arg2;
  double retval;
};

enum { svid_overflow = 3 };

#ifdef MATH_CALLS_SVID_MODE
/* This program's error-handling mode: SVID (the library's own is ANSI). */
const int _lib_version = 0;
#endif

/* Overflows answer 42 and stop the report (no errno); every other error is left to the library. */
int matherr(struct exception *record) {
  printf("matherr %d %s\n", record->type, record->name);
  if (record->type == svid_overflow) {
    record->retval = 42.0;
    return 1;
  }
  return 0;
}

static double from_bits(const char *text) {
  uint64_t bits = strtoull(text, NULL, 16);
  double value;
  memcpy(&value, &bits, sizeof value);
  return value;
}

static unsigned long long to_bits(double value) {
  uint64_t bits;
  memcpy(&bits, &value, sizeof bits);
  return (unsigned long long)bits;
}

int main(int argc, char **argv) {
  for (int i = 1; i < argc; ++i) {
    char name[16];
    char x_text[17], y_text[17] = "0";
    if (sscanf(argv[i], "%15[a-z]:%16[0-9a-fA-F]:%16[0-9a-fA-F]", name, x_text, y_text) < 2) {
      fprintf(stderr, "math_calls: cannot read '%s'\n", argv[i]);
      return 2;
    }
    const double x = from_bits(x_text), y = from_bits(y_text);
    double result;
    errno = 0;
    if (strcmp(name, "sin") == 0) {
      result = sin(x);
    } else if (strcmp(name, "exp") == 0) {
      result = exp(x);
    } else if (strcmp(name, "pow") == 0) {
      result = pow(x, y);
    } else if (strcmp(name, "fmod") == 0) {
      result = fmod(x, y);
    } else {
      fprintf(stderr, "math_calls: no function '%s'\n", name);
      return 2;
    }
    const int error = errno;
    printf("%s 0x%016llx %d\n", name, to_bits(result), error);
  }
  return 0;
}
