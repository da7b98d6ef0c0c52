// The multi-precision reduction modulo pi/2 as an internal inline definition:
// __libm__rem_pio2m (__rem_pio2m.cpp) exports it for every precision, and the
// reduction of sin, cos and tan takes a copy specialised to the two-double
// result and the chunk counts it passes, so its loops unroll into registers.
#pragma once

#include "libm_internal.h"
#include "libm_tables.h"
#include "pio2_inf.h"

// A test build defines these to watch the highest working-array index and
// table index in use; the library build leaves them empty.
#ifndef REM_PIO2M_OBSERVE_WORKING_INDEX
#define REM_PIO2M_OBSERVE_WORKING_INDEX(i) ((void)0)
#endif
#ifndef REM_PIO2M_OBSERVE_TABLE_INDEX
#define REM_PIO2M_OBSERVE_TABLE_INDEX(j) ((void)0)
#endif

// Internal to each unit that includes it: nothing here joins the symbol table.
namespace {
namespace multi_precision {
// Product terms beyond the first, by precision p.
constexpr int init_jk[4] = {2, 3, 4, 6};

constexpr double zero = double_from_bits(0x0000000000000000ULL);
constexpr double one = double_from_bits(0x3FF0000000000000ULL);
constexpr double two24 = double_from_bits(0x4170000000000000ULL);
constexpr double twon24 = double_from_bits(0x3E70000000000000ULL);
constexpr double eighth = double_from_bits(0x3FC0000000000000ULL);
constexpr double eight = double_from_bits(0x4020000000000000ULL);
constexpr double half = double_from_bits(0x3FE0000000000000ULL);

// Every array holds at most this many entries; the caller's arguments keep
// each index below it.
constexpr int working_size = 20;

// 2^e for the exponents met here (far from subnormal or overflow), so the
// scaling by it is exact.
inline double power_of_two(int e) { return double_from_words((0x3ff + e) << 20, 0); }

template <bool sse41>
inline double truncated(double v) {
  if constexpr (sse41) return rounded_toward_zero(v);
  return static_cast<double>(static_cast<int>(v));
}

// floor of a value in [0, 2^52): truncation, without a call.
template <bool sse41>
inline double floor_of_nonnegative(double v) {
  if constexpr (sse41) return rounded_toward_zero(v);
  return static_cast<double>(static_cast<std::int64_t>(v));
}

// X - n*pi/2 for X given as 24-bit chunks, multiplying by 2/pi in 24-bit
// chunks from the table and adding terms while cancellation leaves too few
// significant bits. Returns n modulo 8. Always inlined so that constant nx and
// p fold into the loops of each caller.
template <bool sse41 = false, bool unrolled = false>
__attribute__((always_inline)) inline int reduce(const double* x, double* y, int e0, int nx, int p, const int* ipio2) {
  double f[working_size];   // table chunks as doubles
  double q[working_size];   // chunk products, later the fraction's chunks as doubles
  double fq[working_size];  // products with pi/2
  int iq[working_size];     // the fraction in 24-bit chunks, least significant first

  const int jk = init_jk[p];
  const int jx = nx - 1;
  int jv = (e0 - 3) / 24;
  if (jv < 0) jv = 0;
  int q0 = e0 - 24 * (jv + 1);

  // Only the table chunks that reach the fraction's leading bits take part.
  #pragma GCC unroll 8
  for (int i = 0, j = jv - jx; i <= jx + jk; ++i, ++j) {
    REM_PIO2M_OBSERVE_TABLE_INDEX(j);
    f[i] = j < 0 ? zero : static_cast<double>(ipio2[j]);
  }
  REM_PIO2M_OBSERVE_WORKING_INDEX(jx + jk);
  #pragma GCC unroll 8
  for (int i = 0; i <= jk; ++i) {
    double fw = zero;
    #pragma GCC unroll 8
    for (int j = 0; j <= jx; ++j) fw = fw + x[j] * f[jx + i - j];
    q[i] = fw;
  }

  int jz = jk;
  int n;
  int ih;
  double z;
  // One pass over q[0 .. top]; the specialised copies call it with top constant
  // in the common case, so its loops unroll and iq stays in registers.
  auto distil_and_round = [&](const int top) __attribute__((always_inline)) {
    // Distil q[0 .. top] into 24-bit integer chunks, carrying upward.
    z = q[top];
    #pragma GCC unroll 8
    for (int i = 0, j = top; j > 0; ++i, --j) {
      const double fw = truncated<sse41>(twon24 * z);
      iq[i] = static_cast<int>(z - two24 * fw);
      z = q[j - 1] + fw;
    }

    // Integer part modulo 8 and the first bits of the fraction; z >= 0 and
    // below 2^52 here (sums of products of 24-bit chunks, scaled by 2^q0 <= 4).
    z = z * power_of_two(q0);
    z = z - eight * floor_of_nonnegative<sse41>(eighth * z);
    n = static_cast<int>(z);
    z = z - (sse41 ? rounded_toward_zero(z) : static_cast<double>(n));
    ih = 0;
    if (q0 > 0) {
      const int b = iq[top - 1] >> (24 - q0);
      n = n + b;
      iq[top - 1] = iq[top - 1] - (b << (24 - q0));
      ih = iq[top - 1] >> (23 - q0);
    } else if (q0 == 0) {
      ih = iq[top - 1] >> 23;
    } else if (z >= half) {
      ih = 2;
    }

    // A fraction of one half or more: round n up and keep 1 - fraction.
    if (ih > 0) {
      n = n + 1;
      int carry = 0;
      for (int i = 0; i < top; ++i) {
        const int c = iq[i];
        if (carry == 0) {
          if (c != 0) {
            carry = 1;
            iq[i] = 0x1000000 - c;
          }
        } else {
          iq[i] = 0xffffff - c;
        }
      }
      if (q0 == 1) {
        iq[top - 1] = iq[top - 1] & 0x7fffff;
      } else if (q0 == 2) {
        iq[top - 1] = iq[top - 1] & 0x3fffff;
      }
      if (ih == 2) {
        z = one - z;
        if (carry != 0) z = z - power_of_two(q0);
      }
    }
  };

  for (;;) {
    if (unrolled && jz == jk) {
      distil_and_round(jk);
    } else {
      distil_and_round(jz);
    }

    // Too many leading bits cancelled: add terms and distil again.
    if (z != zero) break;
    int leading = 0;
    for (int i = jz - 1; i >= jk; --i) leading = leading | iq[i];
    if (leading != 0) break;
    int k = 1;
    while (iq[jk - k] == 0) ++k;
    for (int i = jz + 1; i <= jz + k; ++i) {
      REM_PIO2M_OBSERVE_TABLE_INDEX(jv + i);
      REM_PIO2M_OBSERVE_WORKING_INDEX(jx + i);
      f[jx + i] = static_cast<double>(ipio2[jv + i]);
      double fw = zero;
      #pragma GCC unroll 8
      for (int j = 0; j <= jx; ++j) fw = fw + x[j] * f[jx + i - j];
      q[i] = fw;
    }
    jz = jz + k;
  }

  // Drop zero chunks at the top, or put the last bits of z into chunks.
  if (z == zero) {
    jz = jz - 1;
    q0 = q0 - 24;
    while (iq[jz] == 0) {
      jz = jz - 1;
      q0 = q0 - 24;
    }
  } else {
    z = z * power_of_two(-q0);
    if (z >= two24) {
      const double fw = truncated<sse41>(twon24 * z);
      iq[jz] = static_cast<int>(z - two24 * fw);
      jz = jz + 1;
      q0 = q0 + 24;
      iq[jz] = static_cast<int>(fw);
    } else {
      iq[jz] = static_cast<int>(z);
    }
  }
  REM_PIO2M_OBSERVE_WORKING_INDEX(jz);

  // The rest on q[0 .. top]; constant top in the common cases of the copies.
  auto finish = [&](const int top) __attribute__((always_inline)) {
    // Chunks to doubles, q[top] the most significant.
    double fw = power_of_two(q0);
    #pragma GCC unroll 8
    for (int i = top; i >= 0; --i) {
      q[i] = fw * static_cast<double>(iq[i]);
      fw = fw * twon24;
    }

    // Times pi/2: fq[0] the most significant.
    #pragma GCC unroll 8
    for (int i = top; i >= 0; --i) {
      double s = zero;
      #pragma GCC unroll 8
      for (int k = 0; k <= (jk < top - i ? jk : top - i); ++k) s = s + pio2_inf[k] * q[i + k];
      fq[top - i] = s;
    }

    // Compress into as many doubles as p asks for. top >= jk >= 2 here (the
    // re-computation leaves a nonzero chunk at or above jk), so every fq read is
    // written above; the compiler cannot see that through the loops.
#pragma GCC diagnostic push
#if !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
    switch (p) {
    case 0: {
      double s = zero;
      for (int i = top; i >= 0; --i) s = s + fq[i];
      y[0] = ih == 0 ? s : -s;
      break;
    }
    case 1:
    case 2: {
      double s = zero;
      #pragma GCC unroll 8
      for (int i = top; i >= 0; --i) s = s + fq[i];
      y[0] = ih == 0 ? s : -s;
      s = fq[0] - s;
      #pragma GCC unroll 8
      for (int i = 1; i <= top; ++i) s = s + fq[i];
      y[1] = ih == 0 ? s : -s;
      break;
    }
    default: {
      for (int i = top; i > 0; --i) {
        const double s = fq[i - 1] + fq[i];
        fq[i] = fq[i] + (fq[i - 1] - s);
        fq[i - 1] = s;
      }
      for (int i = top; i > 1; --i) {
        const double s = fq[i - 1] + fq[i];
        fq[i] = fq[i] + (fq[i - 1] - s);
        fq[i - 1] = s;
      }
      double s = zero;
      for (int i = top; i >= 2; --i) s = s + fq[i];
      if (ih == 0) {
        y[0] = fq[0];
        y[1] = fq[1];
        y[2] = s;
      } else {
        y[0] = -fq[0];
        y[1] = -fq[1];
        y[2] = -s;
      }
      break;
    }
    }
#pragma GCC diagnostic pop
  };
  if (unrolled && jz == jk) {
    finish(jk);
  } else if (unrolled && jz == jk + 1) {
    finish(jk + 1);
  } else {
    finish(jz);
  }
  return n & 7;
}

// The copies used by the inline reduction of sin, cos and tan: z (2^23 <= z <
// 2^24, X = z 2^e0) cut into one to three 24-bit chunks, two doubles out,
// truncations by roundsd where the processor has SSE4.1.
template <bool sse41>
__attribute__((noinline)) int reduce_to_two_doubles(double z, int e0, double* y) {
  double chunks[3];
  chunks[0] = truncated<sse41>(z);
  z = (z - chunks[0]) * two24;
  chunks[1] = truncated<sse41>(z);
  chunks[2] = (z - chunks[1]) * two24;
  if (chunks[2] != zero) [[likely]]
    return reduce<sse41, true>(chunks, y, e0, 3, 2, __libm_TBL_ipio2_inf);
  if (chunks[1] != zero) return reduce<sse41, true>(chunks, y, e0, 2, 2, __libm_TBL_ipio2_inf);
  return reduce<sse41, true>(chunks, y, e0, 1, 2, __libm_TBL_ipio2_inf);
}

inline int reduce_to_two_doubles(double z, int e0, double* y) {
  if (has_round_instruction()) [[likely]]
    return reduce_to_two_doubles<true>(z, e0, y);
  return reduce_to_two_doubles<false>(z, e0, y);
}

}  // namespace multi_precision
}  // namespace
