// __libm__rem_pio2m: X - n*pi/2 for X given as 24-bit chunks, multiplying by
// 2/pi in 24-bit chunks from the table and adding terms while cancellation
// leaves too few significant bits. Returns n modulo 8.
#include "rem_pio2m.h"

extern "C" int __libm__rem_pio2m(const double* x, double* y, int e0, int nx, int p, const int* ipio2) noexcept {
  return multi_precision::reduce(x, y, e0, nx, p, ipio2);
}
