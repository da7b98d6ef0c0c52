// Linked normally with a mode of its own: IEEE mode, so sqrt(-1) returns NaN
// without setting errno.
#include <korvel_math.h>

#include <cerrno>
#include <cmath>
#include <cstdio>

extern "C" const int _lib_version = -1;

int main() {
  double (*volatile sqrt_call)(double) = __sqrt;
  errno = 0;
  const double r = sqrt_call(-1.0);
  const bool ok = std::isnan(r) && errno == 0 && sqrt_call(4.0) == 2.0;
  std::printf("mode_consumer: %s\n", ok ? "IEEE mode" : "wrong mode");
  return ok ? 0 : 1;
}
