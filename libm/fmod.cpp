// fmod: the exact remainder of x / y with the sign of x. The significands are
// reduced as integers, (mx * 2^n) mod my, 64 bits of n per division rather
// than one; no floating-point operation on the division path.
#include "libm_internal.h"

#include <bit>

namespace {
constexpr double two110 = double_from_bits(0x46d0000000000000ULL);
constexpr double twom110 = double_from_bits(0x3910000000000000ULL);

inline double signed_zero(std::int32_t hx) {
  return double_from_words(hx & static_cast<std::int32_t>(0x80000000), 0);
}

// (m * 2^n) mod d for m and d below 2^53, d at least 2^52 (so every high word
// handed to wide_remainder is below d).
inline std::uint64_t shifted_remainder(std::uint64_t m, int n, std::uint64_t d) {
  // m * 2^n fits one word.
  if (n <= 11) return (m << n) % d;
  // m * 2^n fits two words with the high one below 2^52.
  if (n < 64) return wide_remainder(m >> (64 - n), m << n, d);
  // 2^n mod d by squaring: start from 2^t, t the top six bits of n, then one
  // squaring per remaining bit of n, doubled where the bit is set. Squares stay
  // below 2^107, so their high words are below 2^43.
  const int rest = std::bit_width(static_cast<unsigned>(n)) - 6;
  std::uint64_t power = (std::uint64_t{1} << (n >> rest)) % d;
  for (int bit = rest - 1; bit >= 0; --bit) {
    const unsigned __int128 square = (static_cast<unsigned __int128>(power) * power) << ((n >> bit) & 1);
    power = wide_remainder(static_cast<std::uint64_t>(square >> 64), static_cast<std::uint64_t>(square), d);
  }
  const unsigned __int128 product = static_cast<unsigned __int128>(m) * power;
  return wide_remainder(static_cast<std::uint64_t>(product >> 64), static_cast<std::uint64_t>(product), d);
}
}  // namespace

extern "C" double __fmod(double x, double y) noexcept {
  std::int32_t hx = high_word(x);
  std::int32_t ix = hx & 0x7fffffff;
  std::uint32_t lx = low_word(x);
  std::int32_t iy = high_word(y) & 0x7fffffff;
  std::uint32_t ly = low_word(y);

  bool y_zero = (static_cast<std::uint32_t>(iy) | ly) == 0;
  bool y_nan = iy > 0x7ff00000 || (iy == 0x7ff00000 && ly != 0);
  if (ix >= 0x7ff00000 || y_zero || y_nan) {
    if (y_zero) return __libm_SVID_libm_err(x, y, 27);
    // A NaN, raising invalid unless an operand is a quiet NaN already.
    return (x * y) / (x * y);
  }
  if (iy == 0x7ff00000) return x;

  if (ix < iy || (ix == iy && lx < ly)) return x;
  if (ix == iy && lx == ly) return signed_zero(hx);

  if (iy < 0x03600000) {
    // Subnormal or tiny y: scale it up by 2^110, reduce twice, scale back; all exact.
    double ay = with_high_word(y, iy);
    double scaled_y = ay * two110;
    double t = __fmod(x, scaled_y);
    double u = __fmod(t * two110, scaled_y);
    return u * twom110;
  }

  // Both normal and |x| > |y|: the remainder of the significands scaled to y's
  // exponent e, normalised by a shift; the margin of the scaled path keeps e
  // above 1, so the result is never subnormal.
  const int n = (ix >> 20) - (iy >> 20);
  const int e = iy >> 20;
  constexpr std::uint64_t fraction = 0x000fffffffffffffULL;
  constexpr std::uint64_t hidden_bit = 0x0010000000000000ULL;
  const std::uint64_t mx = (double_bits(x) & fraction) | hidden_bit;
  const std::uint64_t my = (double_bits(y) & fraction) | hidden_bit;
  const std::uint64_t r = shifted_remainder(mx, n, my);
  if (r == 0) return signed_zero(hx);
  const int shift = std::countl_zero(r) - 11;
  const std::uint64_t sign = double_bits(x) & 0x8000000000000000ULL;
  return double_from_bits(sign | (static_cast<std::uint64_t>(e - shift) << 52) | ((r << shift) & fraction));
}

LIBM_WEAK_ALIAS(fmod, __fmod);
