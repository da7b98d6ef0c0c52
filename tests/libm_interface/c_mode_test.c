/* A C99 program choosing its error-handling mode with its own _lib_version
 * (SVID), linking the archive normally so that the archive's ANSI default stays
 * out. Its matherr first lets errors through, then takes them over. */
#include <korvel_math.h>

#include <errno.h>
#include <stdio.h>

const int _lib_version = 0;

static int take_over = 0;

int matherr(struct exception* record) {
  record->retval = 42.0;
  return take_over;
}

struct mode_case {
  int take_over;
  double result;  /* SVID: retval is what the call returns */
  int errno_value;
};

int main(void) {
  /* Through a volatile pointer: no compile-time evaluation. */
  double (*volatile log_call)(double) = __log;
  const struct mode_case cases[] = {
      {0, 42.0, EDOM}, /* handled by the library: errno set (the message goes to stderr) */
      {1, 42.0, 0},    /* taken over: errno left alone, no message */
  };
  int failures = 0;
  for (unsigned i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
    take_over = cases[i].take_over;
    errno = 0;
    const double result = log_call(-1.0);
    const int seen_errno = errno;
    if (result != cases[i].result || seen_errno != cases[i].errno_value) {
      printf("matherr returning %d: log(-1) = %a, errno %d\n", take_over, result, seen_errno);
      ++failures;
    }
  }
  printf("c_mode_test: %d failures\n", failures);
  return failures == 0 ? 0 : 1;
}
