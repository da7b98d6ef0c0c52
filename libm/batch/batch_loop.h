// Block drivers shared by the per-target batch files. Included after
// hwy/highway.h; everything lives in the target's own namespace, so the
// copies built for different instruction sets never meet at link time.
//
// A block of Lanes(d) elements: the lanes on the function's main path go
// through the vector body, every other lane through the scalar function, in
// element order, with its original argument. Lanes handed to the scalar
// function are first replaced by a copy of an on-path lane, and a short tail
// is padded with copies of its own elements: the vector body then raises
// exactly the flags the scalar calls of the on-path lanes raise.
#include <cstddef>
#include <cstdint>

#include "korvel_math.h"

// On the lambdas handed to the block drivers: each has several call sites,
// and out of line its vectors would pass through memory and its constants be
// reloaded on every block.
#define KORVEL_INLINE_LAMBDA __attribute__((always_inline))

HWY_BEFORE_NAMESPACE();
namespace korvel_batch::HWY_NAMESPACE {

namespace hn = hwy::HWY_NAMESPACE;

using D = hn::ScalableTag<double>;
using V = hn::Vec<D>;
using M = hn::Mask<D>;
using DI = hn::RebindToSigned<D>;
using VI = hn::Vec<DI>;

// The widest block of any target (SVE allows 2048-bit vectors).
inline constexpr std::size_t max_lanes = HWY_MAX_BYTES / sizeof(double);

// The 16 per-target batch functions (batch_<function>.cpp).
void batch_sin(std::size_t n, const double* x, double* r);
void batch_cos(std::size_t n, const double* x, double* r);
void batch_tan(std::size_t n, const double* x, double* r);
void batch_asin(std::size_t n, const double* x, double* r);
void batch_acos(std::size_t n, const double* x, double* r);
void batch_atan(std::size_t n, const double* x, double* r);
void batch_atan2(std::size_t n, const double* y, const double* x, double* r);
void batch_exp(std::size_t n, const double* x, double* r);
void batch_log(std::size_t n, const double* x, double* r);
void batch_pow(std::size_t n, const double* x, const double* y, double* r);
void batch_sqrt(std::size_t n, const double* x, double* r);
void batch_ceil(std::size_t n, const double* x, double* r);
void batch_floor(std::size_t n, const double* x, double* r);
void batch_rint(std::size_t n, const double* x, double* r);
void batch_fmod(std::size_t n, const double* x, const double* y, double* r);
void batch_remainder(std::size_t n, const double* x, const double* y, double* r);

// Until a function has a vector body: the scalar function element by element.
inline void unary_scalar_loop(std::size_t n, const double* x, double* r, double (*scalar)(double)) {
  for (std::size_t i = 0; i < n; ++i) r[i] = scalar(x[i]);
}
inline void binary_scalar_loop(std::size_t n, const double* a, const double* b, double* r,
                               double (*scalar)(double, double)) {
  for (std::size_t i = 0; i < n; ++i) r[i] = scalar(a[i], b[i]);
}

// The next block's arguments: a full block straight from memory, a tail
// padded with copies of its last element.
inline V load_block(D d, const double* x, std::size_t count) {
  if (count == hn::Lanes(d)) return hn::LoadU(d, x);
  HWY_ALIGN double padded[max_lanes];
  for (std::size_t k = 0; k < hn::Lanes(d); ++k) padded[k] = x[k < count ? k : count - 1];
  return hn::LoadU(d, padded);
}

// The first `count` lanes (Highway's FirstN would need BMI2 on AVX-512).
inline M first_lanes(D d, std::size_t count) {
  const DI di;
  return hn::RebindMask(d, hn::Lt(hn::Iota(di, 0), hn::Set(di, static_cast<std::int64_t>(count))));
}

// The lane mask as one flag per lane, for the scalar pass.
inline void store_on_path(D d, M on_path, bool* lanes) {
  const DI di;
  HWY_ALIGN std::int64_t bits[max_lanes];
  hn::Store(hn::BitCast(di, hn::VecFromMask(d, on_path)), di, bits);
  for (std::size_t k = 0; k < hn::Lanes(d); ++k) lanes[k] = bits[k] != 0;
}

// One block that is not wholly on the main path, or the short tail: out of
// line, so the loop over ordinary blocks stays small and keeps its constants
// in registers.
template <class OnPath, class Body>
HWY_NOINLINE void unary_mixed_block(std::size_t count, const double* x, double* r, double (*scalar)(double),
                                    OnPath on_path, Body body) {
  const D d;
  const V vx = load_block(d, x, count);
  const M on = count == hn::Lanes(d) ? on_path(d, vx) : hn::And(on_path(d, vx), first_lanes(d, count));
  // r may be x: the arguments are kept before anything is stored.
  HWY_ALIGN double saved[max_lanes];
  hn::Store(vx, d, saved);
  if (hn::AllFalse(d, on)) {
    for (std::size_t k = 0; k < count; ++k) r[k] = scalar(saved[k]);
    return;
  }
  const V fill = hn::Set(d, saved[static_cast<std::size_t>(hn::FindFirstTrue(d, on))]);
  HWY_ALIGN double result[max_lanes];
  hn::Store(body(d, hn::IfThenElse(on, vx, fill)), d, result);
  bool lane_on[max_lanes];
  store_on_path(d, on, lane_on);
  for (std::size_t k = 0; k < count; ++k) r[k] = lane_on[k] ? result[k] : scalar(saved[k]);
}

template <class OnPath, class Body>
HWY_INLINE void unary_blocks(std::size_t n, const double* x, double* r, double (*scalar)(double), OnPath on_path,
                             Body body) {
  const D d;
  const std::size_t lanes = hn::Lanes(d);
  std::size_t i = 0;
  for (; i + lanes <= n; i += lanes) {
    const V vx = hn::LoadU(d, x + i);
    if (HWY_LIKELY(hn::AllTrue(d, on_path(d, vx)))) {
      hn::StoreU(body(d, vx), d, r + i);
    } else {
      unary_mixed_block(lanes, x + i, r + i, scalar, on_path, body);
    }
  }
  if (i < n) unary_mixed_block(n - i, x + i, r + i, scalar, on_path, body);
}

template <class OnPath, class Body>
HWY_NOINLINE void binary_mixed_block(std::size_t count, const double* a, const double* b, double* r,
                                     double (*scalar)(double, double), OnPath on_path, Body body) {
  const D d;
  const V va = load_block(d, a, count);
  const V vb = load_block(d, b, count);
  const M on = count == hn::Lanes(d) ? on_path(d, va, vb) : hn::And(on_path(d, va, vb), first_lanes(d, count));
  HWY_ALIGN double saved_a[max_lanes];
  HWY_ALIGN double saved_b[max_lanes];
  hn::Store(va, d, saved_a);
  hn::Store(vb, d, saved_b);
  if (hn::AllFalse(d, on)) {
    for (std::size_t k = 0; k < count; ++k) r[k] = scalar(saved_a[k], saved_b[k]);
    return;
  }
  const std::size_t first = static_cast<std::size_t>(hn::FindFirstTrue(d, on));
  const V fill_a = hn::Set(d, saved_a[first]);
  const V fill_b = hn::Set(d, saved_b[first]);
  HWY_ALIGN double result[max_lanes];
  hn::Store(body(d, hn::IfThenElse(on, va, fill_a), hn::IfThenElse(on, vb, fill_b)), d, result);
  bool lane_on[max_lanes];
  store_on_path(d, on, lane_on);
  for (std::size_t k = 0; k < count; ++k) r[k] = lane_on[k] ? result[k] : scalar(saved_a[k], saved_b[k]);
}

template <class OnPath, class Body>
HWY_INLINE void binary_blocks(std::size_t n, const double* a, const double* b, double* r,
                              double (*scalar)(double, double), OnPath on_path, Body body) {
  const D d;
  const std::size_t lanes = hn::Lanes(d);
  std::size_t i = 0;
  for (; i + lanes <= n; i += lanes) {
    const V va = hn::LoadU(d, a + i);
    const V vb = hn::LoadU(d, b + i);
    if (HWY_LIKELY(hn::AllTrue(d, on_path(d, va, vb)))) {
      hn::StoreU(body(d, va, vb), d, r + i);
    } else {
      binary_mixed_block(lanes, a + i, b + i, r + i, scalar, on_path, body);
    }
  }
  if (i < n) binary_mixed_block(n - i, a + i, b + i, r + i, scalar, on_path, body);
}

// The bit pattern of each lane as a signed integer, and back.
HWY_INLINE VI lane_bits(V v) { return hn::BitCast(DI(), v); }
HWY_INLINE V from_lane_bits(VI bits) { return hn::BitCast(D(), bits); }

// |x| as bits: ordered like |x| as an integer, NaNs above infinity; never a
// floating-point compare, so nothing is raised.
HWY_INLINE VI magnitude_lane_bits(V v) {
  return hn::And(lane_bits(v), hn::Set(DI(), static_cast<std::int64_t>(0x7fffffffffffffffULL)));
}

}  // namespace korvel_batch::HWY_NAMESPACE
HWY_AFTER_NAMESPACE();
