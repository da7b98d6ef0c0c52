// Reduction modulo pi/2 as an internal inline definition: __libm__rem_pio2
// (__rem_pio2.cpp) exports it, and sin, cos and tan inline it so head and tail
// stay in registers. x = n*pi/2 + head + tail with |head| about pi/4 at most.
// Small arguments pass through, medium ones take up to three Cody-Waite steps
// chosen by the bits lost to cancellation, huge ones are cut into 24-bit
// chunks for the multi-precision reduction.
#pragma once

#include "libm_internal.h"
#include "libm_tables.h"
#include "rem_pio2m.h"
#include "trig_constants.h"

// Internal to each unit that includes it: nothing here joins the symbol table.
namespace {
namespace reduction {
inline std::int32_t biased_exponent(double v) { return (high_word(v) >> 20) & 0x7ff; }

inline int rem_pio2(double x, double& head, double& tail) {
  const std::int32_t hx = high_word(x);
  const std::int32_t ix = hx & 0x7fffffff;
  const std::uint32_t lx = low_word(x);

  // |x| <= pi/4 = 0x3FE921FB54442D18.
  if (ix < 0x3fe921fb || (ix == 0x3fe921fb && lx <= 0x54442d18u)) {
    head = x;
    tail = zero;
    return 0;
  }

  // |x| by clearing the sign bit in place: no trip of x through the integer unit.
  const double t = __builtin_fabs(x);
  int n;
  double y0;
  double y1;
  if (ix < 0x4002d97c) {
    // Below 3pi/4: one multiple of pi/2.
    n = 1;
    double z = t - pio2_1;
    if (ix != 0x3ff921fb) {
      y0 = z - pio2_1t;
      y1 = (z - y0) - pio2_1t;
    } else {
      // Shares its high word with pi/2: 33 more bits of pi/2 before the rest.
      z = z - pio2_2;
      y0 = z - pio2_2t;
      y1 = (z - y0) - pio2_2t;
    }
  } else if (ix <= 0x413921fb) {
    // Below 2^20 pi/2: n*pio2_k is exact, so each step loses only what
    // cancellation takes; d counts the bits lost so far.
    const double nearest = t * invpio2 + half;
    n = static_cast<int>(nearest);
    // The same value by roundsd where the processor has it, a third of the
    // latency of the round trip through n.
    const double fn = has_round_instruction() ? rounded_toward_zero(nearest) : static_cast<double>(n);
    double r = t - fn * pio2_1;
    double w = fn * pio2_1t;
    y0 = r - w;
    const std::int32_t j = ix >> 20;
    std::int32_t d = j - biased_exponent(y0);
    if (d > 16) {
      if (d <= 34) {
        const double u = r;
        w = fn * pio2_2;
        r = u - w;
        w = fn * pio2_2t - ((u - r) - w);
        y0 = r - w;
      } else {
        // So much has cancelled that r - fn*pio2_2 is exact.
        r = r - fn * pio2_2;
        w = fn * pio2_2t;
        y0 = r - w;
        d = j - biased_exponent(y0);
        if (d > 49) {
          if (d <= 67) {
            const double u = r;
            w = fn * pio2_3;
            r = u - w;
            w = fn * pio2_3t - ((u - r) - w);
            y0 = r - w;
          } else {
            r = r - fn * pio2_3;
            w = fn * pio2_3t;
            y0 = r - w;
          }
        }
      }
    }
    y1 = (r - y0) - w;
  } else if (ix >= 0x7ff00000) {
    // Infinity or NaN: invalid for an infinity (and a signalling NaN).
    head = tail = t - t;
    return 0;
  } else {
    // 2^23 <= z < 2^24 after taking e0 off the exponent; three 24-bit chunks hold it.
    const std::int32_t e0 = (ix >> 20) - 1046;
    const double z = double_from_words(ix - (e0 << 20), lx);
    double y[2];
    n = multi_precision::reduce_to_two_doubles(z, e0, y);
    if (hx < 0) {
      head = -y[0];
      tail = -y[1];
      return -n;
    }
    head = y[0];
    tail = y[1];
    return n;
  }

  if (hx < 0) {
    head = -y0;
    tail = -y1;
    return -n;
  }
  head = y0;
  tail = y1;
  return n;
}

}  // namespace reduction
}  // namespace
