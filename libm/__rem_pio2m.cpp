// __libm__rem_pio2m: X - n*pi/2 for X given as 24-bit chunks, multiplying by
// 2/pi in 24-bit chunks from the table and adding terms while cancellation
// leaves too few significant bits. Returns n modulo 8.
#include "rem_pio2m.h"

namespace {
bool all_chunks_zero(const double* x, int nx) {
  for (int i = 0; i < nx; ++i)
    if (x[i] != multi_precision::zero) return false;
  return true;
}
}  // namespace

extern "C" int __libm__rem_pio2m(const double* x, double* y, int e0, int nx, int p, const int* ipio2) noexcept {
  // X = 0 has no nonzero chunk to stop the search of the re-computation, which
  // would run below the working array: it reduces to n = 0 and a +0 remainder.
  // Only a direct caller can pass it (sin, cos and tan never do), so the test
  // lives here and not in the copy they inline.
  if (all_chunks_zero(x, nx)) [[unlikely]] {
    const int written = p == 0 ? 1 : p == 3 ? 3 : 2;
    for (int i = 0; i < written; ++i) y[i] = multi_precision::zero;
    return 0;
  }
  return multi_precision::reduce(x, y, e0, nx, p, ipio2);
}
