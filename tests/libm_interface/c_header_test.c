/* A C99 program using the public header: a call, the archive's mode and a
 * matherr of its own. Linked by the C driver, so the archive must not need the
 * C++ runtime. */
#include <korvel_math.h>

#include <stdio.h>
#include <string.h>

static int handled_calls = 0;

/* Takes every error and returns 7 in place of the mode's value. */
int matherr(struct exception* record) {
  ++handled_calls;
  if (record->type != DOMAIN || strcmp(record->name, "log") != 0 || record->arg1 != -1.0) return 0;
  record->retval = 7.0;
  return 1;
}

int main(void) {
  /* Through a volatile pointer: no compile-time evaluation. */
  double (*volatile sin_call)(double) = __sin;
  double (*volatile log_call)(double) = __log;
  int failures = 0;
  const double sine = sin_call(0.5);
  if (sine != 0x1.eaee8744b05fp-2) {
    printf("__sin(0.5) = %a\n", sine);
    ++failures;
  }
  if (_lib_version != 1) {
    printf("_lib_version = %d, not the archive's ANSI mode\n", _lib_version);
    ++failures;
  }
  const double handled = log_call(-1.0);
  if (handled != 7.0 || handled_calls != 1) {
    printf("log(-1) = %a after %d matherr calls, not matherr's 7\n", handled, handled_calls);
    ++failures;
  }
  /* A batch entry in place, over a tail shorter than any vector. */
  double values[3] = {0.5, 0.5, 0.5};
  korvel_vsin(3, values, values);
  if (values[0] != sine || values[2] != sine) {
    printf("korvel_vsin(0.5) = %a on %s\n", values[2], korvel_batch_target());
    ++failures;
  }
  printf("c_header_test: %d failures\n", failures);
  return failures == 0 ? 0 : 1;
}
