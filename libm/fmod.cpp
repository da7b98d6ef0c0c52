// fmod: the exact remainder of x / y with the sign of x. The significands are
// reduced as integers, (mx * 2^n) mod my, by one two-word division when the
// exponents are less than 64 apart and by squaring a power of two beyond:
// at most seven divisions where long division took one step per bit of n.
// No floating-point operation on the division path.
#include "libm_internal.h"

#include <bit>

namespace {
constexpr double two110 = double_from_bits(0x46d0000000000000ULL);
constexpr double twom110 = double_from_bits(0x3910000000000000ULL);

constexpr std::uint64_t sign_bit = 0x8000000000000000ULL;
constexpr std::uint64_t infinity_bits = 0x7ff0000000000000ULL;
constexpr std::uint64_t fraction = 0x000fffffffffffffULL;
constexpr std::uint64_t hidden_bit = 0x0010000000000000ULL;

// (a * b) mod d for a * b below 2^64 * d.
inline std::uint64_t product_remainder(std::uint64_t a, std::uint64_t b, std::uint64_t d) {
  const unsigned __int128 product = static_cast<unsigned __int128>(a) * b;
  return wide_remainder(static_cast<std::uint64_t>(product >> 64), static_cast<std::uint64_t>(product), d);
}

// (m * 2^n) mod d for n >= 64 via 2^n mod d: 2^t, t the top six bits of n,
// then one squaring per remaining bit of n, doubled where the bit is set.
// Squares stay below 2^107, the product with m below 2^106: their high words
// are below d. Apart from the short path, so that one saves no registers.
[[gnu::noinline]] std::uint64_t far_shifted_remainder(std::uint64_t m, int n, std::uint64_t d) {
  const int rest = std::bit_width(static_cast<unsigned>(n)) - 6;
  std::uint64_t power = (std::uint64_t{1} << (n >> rest)) % d;
  for (int bit = rest - 1; bit >= 0; --bit) {
    const unsigned __int128 square = (static_cast<unsigned __int128>(power) * power) << ((n >> bit) & 1);
    power = wide_remainder(static_cast<std::uint64_t>(square >> 64), static_cast<std::uint64_t>(square), d);
  }
  return product_remainder(m, power, d);
}

// (m * 2^n) mod d for m below 2^53 and d in [2^52, 2^53).
inline std::uint64_t shifted_remainder(std::uint64_t m, int n, std::uint64_t d) {
  if (n >= 64) return far_shifted_remainder(m, n, d);
  // m * 2^n in two words, the high one below 2^52.
  const unsigned __int128 shifted = static_cast<unsigned __int128>(m) << n;
  return wide_remainder(static_cast<std::uint64_t>(shifted >> 64), static_cast<std::uint64_t>(shifted), d);
}

// Subnormal or tiny |y| (ay): scale it up by 2^110, reduce twice, scale back;
// all exact. Neither inner call comes back here: the scaled y is at least 2^-964.
[[gnu::noinline]] double fmod_by_scaled_divisor(double x, double ay) {
  double scaled_y = ay * two110;
  double t = __fmod(x, scaled_y);
  double u = __fmod(t * two110, scaled_y);
  return u * twom110;
}
}  // namespace

extern "C" double __fmod(double x, double y) noexcept {
  // Magnitudes as integers: their order is that of the high words, then the low ones.
  const std::uint64_t ax = double_bits(x) & ~sign_bit;
  const std::uint64_t ay = double_bits(y) & ~sign_bit;

  // x infinite or NaN, y zero or NaN.
  if (ax >= infinity_bits || ay == 0 || ay > infinity_bits) {
    if (ay == 0) return __libm_SVID_libm_err(x, y, 27);
    // A NaN, raising invalid unless an operand is a quiet NaN already.
    return (x * y) / (x * y);
  }
  if (ay == infinity_bits) return x;

  if (ax < ay) return x;
  const double signed_zero = double_from_bits(double_bits(x) & sign_bit);
  if (ax == ay) return signed_zero;

  if (ay < 0x0360000000000000ULL) return fmod_by_scaled_divisor(x, double_from_bits(ay));

  // Both normal and |x| > |y|: the remainder of the significands at y's
  // exponent e, normalised by a shift; the margin of the scaled path keeps e
  // above 1, so the result is never subnormal.
  const int e = static_cast<int>(ay >> 52);
  const int n = static_cast<int>(ax >> 52) - e;
  const std::uint64_t r = shifted_remainder((ax & fraction) | hidden_bit, n, (ay & fraction) | hidden_bit);
  if (r == 0) return signed_zero;
  const int shift = std::countl_zero(r) - 11;
  return double_from_bits((double_bits(x) & sign_bit) | (static_cast<std::uint64_t>(e - shift) << 52) |
                          ((r << shift) & fraction));
}

LIBM_WEAK_ALIAS(fmod, __fmod);
