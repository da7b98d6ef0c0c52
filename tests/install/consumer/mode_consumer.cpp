// Linked normally with a mode of its own: IEEE mode, so sqrt(-1) returns NaN
// without setting errno. After `using namespace std;` the SVID record must be
// named ::exception (std::exception would make it ambiguous).
#include <korvel_math.h>

#include <cerrno>
#include <cmath>
#include <cstdio>

using namespace std;

extern "C" const int _lib_version = -1;

static int matherr_calls = 0;

// Takes the error over: in IEEE mode neither its retval nor its return value
// changes the result, but a non-zero return leaves errno alone.
extern "C" int matherr(struct ::exception* record) {
  ++matherr_calls;
  record->retval = 42.0;
  return 1;
}

int main() {
  double (*volatile sqrt_call)(double) = __sqrt;
  double (*volatile log_call)(double) = __log;
  errno = 0;
  const double r = sqrt_call(-1.0);
  const bool ieee_sqrt = isnan(r) && errno == 0 && sqrt_call(4.0) == 2.0 && matherr_calls == 0;
  const double l = log_call(-1.0);
  const bool handled_log = isnan(l) && errno == 0 && matherr_calls == 1;
  printf("mode_consumer: %s, %s\n", ieee_sqrt ? "IEEE mode" : "wrong mode",
         handled_log ? "matherr took log(-1) over" : "matherr not honoured");
  return ieee_sqrt && handled_log ? 0 : 1;
}
