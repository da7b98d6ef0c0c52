// A stand-in for the library's error handler that records every call, for
// tests of how functions route their domain errors. Linking it keeps the
// archive's own handler out of the test program.
#pragma once

struct handler_call {
  double x;
  double y;
  int type;
};

struct handler_log {
  int calls;
  handler_call last;
  double result; // what the stand-in returns
};

extern handler_log recorded_handler;

// Forget earlier calls and answer future ones with `result`.
void reset_recorded_handler(double result);
