#include "recording_handler.h"

#include "korvel_math.h"

handler_log recorded_handler{0, {0, 0, 0}, 0};

void reset_recorded_handler(double result) { recorded_handler = handler_log{0, {0, 0, 0}, result}; }

extern "C" double __libm_SVID_libm_err(double x, double y, int type) noexcept {
  ++recorded_handler.calls;
  recorded_handler.last = handler_call{x, y, type};
  return recorded_handler.result;
}
