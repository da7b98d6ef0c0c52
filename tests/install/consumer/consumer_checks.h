// What every consumer with its own matherr checks after linking: a plain
// result and the library's error mode, and an error's value coming from that
// handler (which returns 7). Through volatile pointers, so the calls are made.
#pragma once

#include <korvel_math.h>

#include <cstdio>

// Returns the number of failed checks, each reported on stdout.
inline int check_results_and_own_handler() {
  int failures = 0;
  double (*volatile fmod_call)(double, double) = __fmod;
  if (fmod_call(5.5, 2.0) != 1.5 || _lib_version != 1) {
    std::printf("wrong result or mode\n");
    ++failures;
  }
  double (*volatile log_call)(double) = __log;
  if (log_call(-1.0) != 7.0) {
    std::printf("log(-1) did not return our matherr's value\n");
    ++failures;
  }
  return failures;
}
