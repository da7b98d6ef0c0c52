// Reproducibility digest: every exported function and kernel of the math
// library on fixed argument sets, one SHA-256 per function over each call's
// arguments, result bits (a NaN counts only as "NaN": its bits are the
// processor's), raised flags, errno and the error kind seen by matherr.
// Needs only a C++20 compiler and libm/*.cpp, so cross builds can run it.
//
// The batch entry points (korvel_v*) are held to the same digests: each
// function's arguments are fed again as arrays of varied lengths (every tail
// length) at varied offsets (every alignment), a third of them in place. A
// record then takes its result from the array call and its flags, errno and
// error kind from a call of the batch entry on that element alone; each array
// call must also leave what the loop of scalar calls leaves (result bits,
// accrued flags, errno, the handler calls in order), or the digest is spoiled.
//
// Usage: digest [count] [--dump name] [--check expected.txt] [--batch target]
//   count: arguments per function from the weighted sets (default 100000),
//   on top of the fixed edge-case lists.
//   --batch: also the batch digests, which must equal the scalar ones, with
//   korvel_batch_target() == target (set KORVEL_BATCH_TARGET to force it),
//   or "any" for the dispatcher's choice; exits 77 when this processor
//   cannot run that target.
#include "korvel_math.h"
#include "libm_platform.h"
#include "libm_tables.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cfenv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using u64 = std::uint64_t;
using u32 = std::uint32_t;

// ---- SHA-256 ----

constexpr u32 sha_rounds[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

struct sha256 {
  u32 h[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a, 0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
  unsigned char block[64] = {};
  unsigned used = 0;
  u64 length = 0;
};

void sha_compress(sha256& s) {
  u32 w[64];
  for (int i = 0; i < 16; ++i)
    w[i] = u32{s.block[4 * i]} << 24 | u32{s.block[4 * i + 1]} << 16 | u32{s.block[4 * i + 2]} << 8 | s.block[4 * i + 3];
  for (int i = 16; i < 64; ++i)
    w[i] = w[i - 16] + (std::rotr(w[i - 15], 7) ^ std::rotr(w[i - 15], 18) ^ (w[i - 15] >> 3)) + w[i - 7] +
           (std::rotr(w[i - 2], 17) ^ std::rotr(w[i - 2], 19) ^ (w[i - 2] >> 10));
  u32 v[8];
  std::memcpy(v, s.h, sizeof v);
  for (int i = 0; i < 64; ++i) {
    const u32 t1 = v[7] + (std::rotr(v[4], 6) ^ std::rotr(v[4], 11) ^ std::rotr(v[4], 25)) +
                   ((v[4] & v[5]) ^ (~v[4] & v[6])) + sha_rounds[i] + w[i];
    const u32 t2 = (std::rotr(v[0], 2) ^ std::rotr(v[0], 13) ^ std::rotr(v[0], 22)) +
                   ((v[0] & v[1]) ^ (v[0] & v[2]) ^ (v[1] & v[2]));
    std::memmove(v + 1, v, 7 * sizeof(u32));
    v[4] += t1;
    v[0] = t1 + t2;
  }
  for (int i = 0; i < 8; ++i) s.h[i] += v[i];
}

void sha_add(sha256& s, const unsigned char* bytes, std::size_t count) {
  s.length += count;
  for (std::size_t i = 0; i < count; ++i) {
    s.block[s.used++] = bytes[i];
    if (s.used == 64) {
      sha_compress(s);
      s.used = 0;
    }
  }
}

std::string sha_hex(sha256 s) {
  const u64 bit_length = s.length * 8;
  const unsigned char pad = 0x80;
  const unsigned char zero = 0;
  sha_add(s, &pad, 1);
  while (s.used != 56) sha_add(s, &zero, 1);
  for (int i = 7; i >= 0; --i) {
    const unsigned char byte = static_cast<unsigned char>(bit_length >> (8 * i));
    sha_add(s, &byte, 1);
  }
  char text[65];
  for (int i = 0; i < 8; ++i) std::snprintf(text + 8 * i, 9, "%08x", static_cast<unsigned>(s.h[i]));
  return text;
}

bool sha_self_check() {
  sha256 empty;
  sha256 abc;
  sha_add(abc, reinterpret_cast<const unsigned char*>("abc"), 3);
  return sha_hex(empty) == "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855" &&
         sha_hex(abc) == "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
}

// ---- the functions and what one call records ----

struct call {
  double a[3]; // double arguments in order
  int k[3];    // int arguments: k of k_tan; e0, nx, p of rem_pio2m
};

struct outcome {
  double r[3]; // results; rem_pio2m leaves unwritten ones at their initial value
  int n;       // quotient of the reductions
};

struct function_entry {
  const char* name;
  int doubles, ints, results;
  bool quotient;
  void (*run)(const call&, outcome&);
};

enum function_id {
  f_sqrt, f_ceil, f_floor, f_rint, f_fmod, f_remainder, f_sin, f_cos, f_tan, f_atan, f_atan2, f_asin, f_acos,
  f_exp, f_log, f_pow, f_k_sin, f_k_cos, f_k_tan, f_rem_pio2, f_rem_pio2m, function_count
};

// Through pointers, so nothing is folded at compile time.
const function_entry functions[function_count] = {
    {"sqrt", 1, 0, 1, false, [](const call& c, outcome& o) { o.r[0] = __sqrt(c.a[0]); }},
    {"ceil", 1, 0, 1, false, [](const call& c, outcome& o) { o.r[0] = __ceil(c.a[0]); }},
    {"floor", 1, 0, 1, false, [](const call& c, outcome& o) { o.r[0] = __floor(c.a[0]); }},
    {"rint", 1, 0, 1, false, [](const call& c, outcome& o) { o.r[0] = __rint(c.a[0]); }},
    {"fmod", 2, 0, 1, false, [](const call& c, outcome& o) { o.r[0] = __fmod(c.a[0], c.a[1]); }},
    {"remainder", 2, 0, 1, false, [](const call& c, outcome& o) { o.r[0] = __remainder(c.a[0], c.a[1]); }},
    {"sin", 1, 0, 1, false, [](const call& c, outcome& o) { o.r[0] = __sin(c.a[0]); }},
    {"cos", 1, 0, 1, false, [](const call& c, outcome& o) { o.r[0] = __cos(c.a[0]); }},
    {"tan", 1, 0, 1, false, [](const call& c, outcome& o) { o.r[0] = __tan(c.a[0]); }},
    {"atan", 1, 0, 1, false, [](const call& c, outcome& o) { o.r[0] = __atan(c.a[0]); }},
    {"atan2", 2, 0, 1, false, [](const call& c, outcome& o) { o.r[0] = __atan2(c.a[0], c.a[1]); }},
    {"asin", 1, 0, 1, false, [](const call& c, outcome& o) { o.r[0] = __asin(c.a[0]); }},
    {"acos", 1, 0, 1, false, [](const call& c, outcome& o) { o.r[0] = __acos(c.a[0]); }},
    {"exp", 1, 0, 1, false, [](const call& c, outcome& o) { o.r[0] = __exp(c.a[0]); }},
    {"log", 1, 0, 1, false, [](const call& c, outcome& o) { o.r[0] = __log(c.a[0]); }},
    {"pow", 2, 0, 1, false, [](const call& c, outcome& o) { o.r[0] = __pow(c.a[0], c.a[1]); }},
    {"k_sin", 2, 0, 1, false, [](const call& c, outcome& o) { o.r[0] = __libm__k_sin(c.a[0], c.a[1]); }},
    {"k_cos", 2, 0, 1, false, [](const call& c, outcome& o) { o.r[0] = __libm__k_cos(c.a[0], c.a[1]); }},
    {"k_tan", 2, 1, 1, false, [](const call& c, outcome& o) { o.r[0] = __libm__k_tan(c.a[0], c.a[1], c.k[0]); }},
    {"rem_pio2", 1, 0, 2, true, [](const call& c, outcome& o) { o.n = __libm__rem_pio2(c.a[0], o.r); }},
    {"rem_pio2m", 3, 3, 3, true,
     [](const call& c, outcome& o) { o.n = __libm__rem_pio2m(c.a, o.r, c.k[0], c.k[1], c.k[2], __libm_TBL_ipio2_inf); }},
};

int matherr_kind; // 0 when matherr was not called

// The batch entry of each public function, by function_id.
struct batch_entry {
  void (*unary)(std::size_t, const double*, double*);
  void (*binary)(std::size_t, const double*, const double*, double*);
};
const batch_entry batch_entries[f_pow + 1] = {
    {korvel_vsqrt, nullptr},  {korvel_vceil, nullptr}, {korvel_vfloor, nullptr}, {korvel_vrint, nullptr},
    {nullptr, korvel_vfmod},  {nullptr, korvel_vremainder}, {korvel_vsin, nullptr}, {korvel_vcos, nullptr},
    {korvel_vtan, nullptr},   {korvel_vatan, nullptr}, {nullptr, korvel_vatan2}, {korvel_vasin, nullptr},
    {korvel_vacos, nullptr},  {korvel_vexp, nullptr},  {korvel_vlog, nullptr},   {nullptr, korvel_vpow},
};

// Every handler call since the last reset, in order (up to a block's worth).
struct handler_record {
  int kind;
  u64 arg1, arg2;
};
constexpr int handler_log_size = 128;
handler_record handler_log[handler_log_size];
int handler_calls;

} // namespace

// ANSI mode's own handling (return 0), recording the kind the handler reports.
int matherr(struct exception* record) {
  matherr_kind = record->type;
  if (handler_calls < handler_log_size)
    handler_log[handler_calls] = {record->type, std::bit_cast<u64>(record->arg1), std::bit_cast<u64>(record->arg2)};
  ++handler_calls;
  return 0;
}

namespace {

// ---- deterministic arguments: integer operations on bit patterns ----

constexpr u64 bits(double x) { return std::bit_cast<u64>(x); }
constexpr double from_bits(u64 b) { return std::bit_cast<double>(b); }
constexpr u64 sign_bit = u64{1} << 63;
constexpr u64 fraction_mask = (u64{1} << 52) - 1;
int biased_exponent(double x) { return static_cast<int>(bits(x) >> 52 & 0x7ff); }

u64 next(u64& state) { // splitmix64
  u64 z = (state += 0x9e3779b97f4a7c15);
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9;
  z = (z ^ (z >> 27)) * 0x94d049bb133111eb;
  return z ^ (z >> 31);
}
u64 in_range(u64& state, u64 low, u64 high) { return low + next(state) % (high - low + 1); }

enum class shape : std::uint8_t {
  none,
  patterns,       // bit patterns in [lo, hi] (magnitudes), sign as given
  uniform,        // uniform in value over [0, 2^hi), sign as given
  edges,          // the edge list (x: outer index, y: inner index of the pairs)
  kernel_edges,   // kernel arguments at their branch bounds
  near_pio2,      // the double nearest n*pi/2, n of lo .. hi bits
  around_one,     // 1 +- m ulps, m of lo .. hi bits
  exponent_near,  // y: biased exponent of x + [lo, hi], any fraction
  just_above,     // y: |x| * 2^-k slightly raised (|y/x| just above 2^-k, k = 1 .. 10)
  integer_for_x,  // y: an integer with |y log2|x|| <= 1000
  aimed,          // y: y * log2|x| = z, z in the patterns [lo, hi], sign as given
  tail_of_x,      // y: a tail below half an ulp of x, or zero
};
enum class sign : std::uint8_t { plus, both, minus };
enum class form : std::uint8_t { plain, reduced, chunked, short_or_integer_y };

struct operand {
  shape kind;
  u64 lo, hi;
  sign s;
};
struct argument_set {
  function_id function;
  int weight; // share of count; 0: the whole edge list (or its pairs)
  form f;
  operand x, y;
};

constexpr operand none{shape::none, 0, 0, sign::plus};
constexpr operand values(double lo, double hi, sign s) { return {shape::patterns, bits(lo), bits(hi), s}; }
constexpr operand high_words(u64 lo, u64 hi, sign s) { return {shape::patterns, lo << 32, hi << 32 | 0xffffffff, s}; }
constexpr operand binades(u64 lo, u64 hi, sign s) { return {shape::patterns, lo << 52, hi << 52 | fraction_mask, s}; }
constexpr operand any{shape::patterns, 0, ~sign_bit, sign::both};
constexpr operand edge{shape::edges, 0, 0, sign::plus};
constexpr operand of(shape kind, u64 lo = 0, u64 hi = 0, sign s = sign::both) { return {kind, lo, hi, s}; }
constexpr u64 minus(int offset) { return static_cast<u64>(static_cast<std::int64_t>(offset)); }

constexpr double pio4 = 0x1.921fb54442d18p-1;
constexpr double three_pio4 = 0x1.2d97c7f3321d2p+1;
constexpr double kernel_max = 0x1.93fffffffffffp-1; // high word 0x3FE93FFF
constexpr double largest = 0x1.fffffffffffffp+1023;

// Magnitudes, each called with both signs: zeros, subnormals, the branch bounds
// of the functions (the last doubles below 3pi/4's high word and below the
// chunked range among them), the values that raise each error, infinities and
// NaNs. Binary functions take every pair.
constexpr u64 edge_magnitudes[] = {
    bits(0.0), 1, fraction_mask, u64{1} << 52, bits(0x1p-27), bits(1e-300), bits(0.1), bits(0.5),
    bits(0x1.fffffffffffffp-2), bits(0x1.0000000000001p-1), bits(pio4), bits(pio4) + 1, bits(0x1.fffffffffffffp-1),
    bits(1.0), bits(0x1.0000000000001p0), bits(1.5), bits(0x1.921fb54442d18p0), bits(0x1.fffffffffffffp0), bits(2.0),
    bits(0x1.0000000000001p1), 0x4002d97bffffffff, bits(three_pio4), bits(2.5), bits(3.0), bits(10.0), bits(215.0),
    bits(256.0), bits(400.0), bits(401.0), bits(709.782712893384), bits(745.1332191019411), bits(1000.0),
    bits(1024.0), bits(1075.0), bits(1647099.0), 0x413921fbffffffff, bits(1647100.0), bits(0x1.fffffffffffffp51),
    bits(0x1p52), bits(0x1.0000000000001p52), bits(0x1p53), bits(1e22), bits(0x1.6ac5b262ca1ffp+849), bits(1e300),
    bits(largest), 0x7ff0000000000000, 0x7ff8000000000000, 0x7ff0000000000001, 0x7ff4000000000000,
    0x7fffffffffffffff,
    // pow(16 - ulp, 256) and pow(2^-5 + ulp, 215): y log2 x rounds to exactly 1024 and -1075.
    bits(0x1.fffffffffffffp3), bits(0x1.0000000000001p-5),
    // Medium doubles nearest a multiple of pi/2, where 70 and more bits cancel.
    bits(0x1.39c6fd67805a7p+18), bits(0x1.39c6fd67805a7p+20), bits(0x1.a9adcc7f96cfp+19),
    bits(0x1.2ed045771ed8dp+20), bits(0x1.93c05c9ed3cbcp+18)};
constexpr u64 edge_count = 2 * std::size(edge_magnitudes);
double edge_value(u64 i) { return from_bits(edge_magnitudes[i / 2] | (i % 2 ? sign_bit : 0)); }

// Kernel arguments at the bounds of the tiny, polynomial and table ranges.
constexpr double kernel_edge_magnitudes[] = {0.0,     0x1p-1074, 0x1p-1022, 0x1.fffffffffffffp-28, 0x1p-27,
                                             0x1p-13, 0.15625,   0.1953125, pio4,                   kernel_max};
// Each with both signs and, for k_tan, both k.
constexpr u64 kernel_edge_count = 4 * std::size(kernel_edge_magnitudes);

// clang-format off
constexpr argument_set argument_sets[] = {
#define REDUCTION_SETS(fn)                                                                                          \
  {fn, 2, form::plain, values(0, pio4, sign::both), none},                                                           \
  {fn, 2, form::plain, values(0.15, 0.8, sign::both), none},                                                         \
  {fn, 1, form::plain, values(pio4, three_pio4, sign::both), none},                                                  \
  {fn, 2, form::plain, values(three_pio4, 1647099.0, sign::both), none},                                             \
  {fn, 1, form::plain, of(shape::uniform, 0, 20), none},                                                             \
  {fn, 2, form::plain, values(1647099.0, largest, sign::both), none},                                                \
  {fn, 1, form::plain, of(shape::near_pio2, 1, 20), none},                                                           \
  {fn, 1, form::plain, of(shape::near_pio2, 21, 62), none},                                                          \
  {fn, 0, form::plain, edge, none}
    REDUCTION_SETS(f_sin), REDUCTION_SETS(f_cos), REDUCTION_SETS(f_tan), REDUCTION_SETS(f_rem_pio2),
#define KERNEL_SETS(fn)                                                                                             \
  {fn, 2, form::plain, values(0, kernel_max, sign::both), of(shape::tail_of_x)},                                     \
  {fn, 2, form::plain, values(0.15, kernel_max, sign::both), of(shape::tail_of_x)},                                  \
  {fn, 2, form::reduced, values(pio4, 1647099.0, sign::both), none},                                                 \
  {fn, 1, form::reduced, values(1647099.0, largest, sign::both), none},                                              \
  {fn, 1, form::reduced, of(shape::near_pio2, 1, 62), none},                                                         \
  {fn, 0, form::plain, of(shape::kernel_edges), none}
    KERNEL_SETS(f_k_sin), KERNEL_SETS(f_k_cos), KERNEL_SETS(f_k_tan),
    {f_rem_pio2m, 3, form::chunked, values(1647100.0, largest, sign::both), none},
    {f_rem_pio2m, 1, form::chunked, of(shape::near_pio2, 21, 62), none},

    {f_atan, 1, form::plain, any, none},
    {f_atan, 1, form::plain, binades(1023 - 40, 1023 - 4, sign::both), none},
    {f_atan, 1, form::plain, binades(1023 - 3, 1023 + 2, sign::both), none},
    {f_atan, 1, form::plain, binades(1023 + 3, 1023 + 70, sign::both), none},
    {f_atan, 0, form::plain, edge, none},
    {f_atan2, 1, form::plain, any, any},
    {f_atan2, 2, form::plain, binades(1 + 70, 2046 - 70, sign::both), of(shape::exponent_near, minus(-70), 70)},
    {f_atan2, 1, form::plain, binades(0, 64, sign::both), binades(0, 64, sign::both)},
    {f_atan2, 1, form::plain, values(1.0, 2.0, sign::both), of(shape::just_above)},
    {f_atan2, 0, form::plain, edge, edge},
#define ASIN_ACOS_SETS(fn)                                                                                          \
  {fn, 1, form::plain, values(0, 1.0, sign::both), none},                                                            \
  {fn, 1, form::plain, any, none},                                                                                   \
  {fn, 1, form::plain, binades(1023 - 60, 1023 - 2, sign::both), none},                                              \
  {fn, 1, form::plain, values(0.5, 0.975, sign::both), none},                                                        \
  {fn, 1, form::plain, values(0.975, 1.0, sign::both), none},                                                        \
  {fn, 1, form::plain, of(shape::around_one, 1, 42, sign::minus), none},                                             \
  {fn, 0, form::plain, edge, none}
    ASIN_ACOS_SETS(f_asin), ASIN_ACOS_SETS(f_acos),

    {f_exp, 1, form::plain, values(0, 710.0, sign::plus), none},
    {f_exp, 1, form::plain, values(0, 746.0, sign::minus), none},
    {f_exp, 1, form::plain, any, none},
    {f_exp, 1, form::plain, of(shape::uniform, 0, 10), none},
    {f_exp, 1, form::plain, high_words(0x3c900000, 0x3ecfffff, sign::both), none},
    {f_exp, 1, form::plain, high_words(0x3ed00000, 0x3f862e42, sign::both), none},
    {f_exp, 1, form::plain, values(0.0108305, 0.3465736, sign::both), none},
    {f_exp, 1, form::plain, values(0.3465736, 1.0397207, sign::both), none},
    {f_exp, 1, form::plain, values(700.0, 709.782712893384, sign::plus), none},
    {f_exp, 1, form::plain, values(708.3964185322641, 745.1332191019411, sign::minus), none},
    {f_exp, 0, form::plain, edge, none},
    {f_log, 1, form::plain, high_words(0x00000000, 0x000fffff, sign::plus), none},
    {f_log, 1, form::plain, high_words(0x00100000, 0x3fb7ffff, sign::plus), none},
    {f_log, 2, form::plain, high_words(0x3fb80000, 0x40377fff, sign::plus), none},
    {f_log, 1, form::plain, high_words(0x3feffffc, 0x3ff00003, sign::plus), none},
    {f_log, 1, form::plain, high_words(0x3fefe000, 0x3ff00fff, sign::plus), none},
    {f_log, 1, form::plain, high_words(0x3fee0f8f, 0x3ff10841, sign::plus), none},
    {f_log, 1, form::plain, high_words(0x40378000, 0x7fefffff, sign::plus), none},
    {f_log, 1, form::plain, any, none},
    {f_log, 0, form::plain, edge, none},
    {f_pow, 2, form::short_or_integer_y, of(shape::uniform, 0, 4, sign::plus), of(shape::uniform, 0, 6)},
    {f_pow, 1, form::short_or_integer_y, values(0x1p-8, 16.0, sign::plus), values(0x1p-8, 64.0, sign::both)},
    {f_pow, 1, form::plain, of(shape::around_one, 12, 48, sign::both), binades(1023, 1023 + 50, sign::both)},
    {f_pow, 1, form::plain, values(0x1p-8, 0x1p8, sign::minus), of(shape::integer_for_x)},
    {f_pow, 1, form::plain, values(0x1p-20, 0x1p20, sign::plus), of(shape::aimed, bits(1016.0), bits(1024.01), sign::plus)},
    {f_pow, 1, form::plain, values(0x1p-20, 0x1p20, sign::plus), of(shape::aimed, bits(1018.0), bits(1075.01), sign::minus)},
    {f_pow, 1, form::plain, any, any},
    {f_pow, 0, form::plain, edge, edge},

    {f_sqrt, 3, form::plain, {shape::patterns, 0, ~sign_bit, sign::plus}, none},
    {f_sqrt, 1, form::plain, any, none},
    {f_sqrt, 0, form::plain, edge, none},
#define ROUNDING_SETS(fn)                                                                                           \
  {fn, 1, form::plain, any, none},                                                                                   \
  {fn, 1, form::plain, binades(0x3f0, 0x434, sign::both), none},                                                     \
  {fn, 0, form::plain, edge, none}
    ROUNDING_SETS(f_ceil), ROUNDING_SETS(f_floor), ROUNDING_SETS(f_rint),
#define DIVISION_SETS(fn)                                                                                           \
  {fn, 1, form::plain, any, any},                                                                                    \
  {fn, 2, form::plain, any, of(shape::exponent_near, minus(-64), 0)},                                                \
  {fn, 0, form::plain, edge, edge}
    DIVISION_SETS(f_fmod), DIVISION_SETS(f_remainder),
};
// clang-format on

double with_sign(u64 magnitude, sign s, u64& state) {
  const bool negative = s == sign::minus || (s == sign::both && (next(state) & 1));
  return from_bits(magnitude | (negative ? sign_bit : 0));
}

double random_fraction_at(int biased, u64& state) {
  return from_bits(static_cast<u64>(biased) << 52 | (next(state) & fraction_mask));
}

double one_operand(const operand& o, double x, u64 i, u64& state) {
  switch (o.kind) {
  case shape::none: return 0.0;
  case shape::patterns: return with_sign(in_range(state, o.lo, o.hi), o.s, state);
  case shape::uniform: {
    // A 53-bit integer scaled by a power of two: both steps exact.
    const double unit = from_bits((1023 + o.hi - 53) << 52);
    return with_sign(bits(static_cast<double>(next(state) >> 11) * unit), o.s, state);
  }
  case shape::edges: return edge_value(i);
  case shape::kernel_edges: return with_sign(bits(kernel_edge_magnitudes[i / 4]), i / 2 % 2 ? sign::minus : sign::plus, state);
  case shape::near_pio2: {
    // n*pi/2 rounded, moved by its own remainder onto the double nearest n*pi/2.
    const int length = static_cast<int>(in_range(state, o.lo, o.hi));
    const u64 n = (u64{1} << (length - 1)) | (next(state) >> (64 - length));
    const double near = static_cast<double>(n) * 0x1.921fb54442d18p0;
    double y[2];
    __libm__rem_pio2(near, y);
    return with_sign(bits(near - y[0]), o.s, state);
  }
  case shape::around_one: {
    const u64 m = 1 + (next(state) >> (64 - in_range(state, o.lo, o.hi)));
    const bool below = o.s == sign::minus || (next(state) & 1);
    return with_sign(below ? bits(1.0) - m : bits(1.0) + m, o.s == sign::minus ? sign::both : sign::plus, state);
  }
  case shape::exponent_near: {
    const int bx = biased_exponent(x);
    if (bx == 0x7ff) return with_sign(next(state) & ~sign_bit, sign::both, state);
    int by = bx + static_cast<int>(static_cast<std::int64_t>(in_range(state, 0, o.hi - o.lo)) +
                                   static_cast<std::int64_t>(o.lo));
    by = by < 0 ? 0 : by > 2046 ? 2046 : by;
    return with_sign(bits(random_fraction_at(by, state)), sign::both, state);
  }
  case shape::just_above: {
    // atan(q) stays below 2^-k while q < 2^-k (1 + 2^-2k / 3), about.
    const u64 k = 1 + i % 10;
    const u64 raise = next(state) >> (14 + 2 * k);
    return with_sign(((bits(x) & ~sign_bit) - (k << 52)) + raise, sign::both, state);
  }
  case shape::integer_for_x: {
    const std::int64_t e = biased_exponent(x) - 1023;
    const std::int64_t largest_log = e < 0 ? -e : e + 1;
    const std::int64_t limit = 1000 / largest_log;
    return static_cast<double>(static_cast<std::int64_t>(in_range(state, 0, 2 * limit)) - limit);
  }
  case shape::aimed: {
    const double z = with_sign(in_range(state, o.lo, o.hi), o.s, state);
    return z / (__log(from_bits(bits(x) & ~sign_bit)) * 1.4426950408889634);
  }
  case shape::tail_of_x: {
    const u64 r = next(state);
    const int by = biased_exponent(x) - 53 - static_cast<int>(r >> 2 & 3);
    if ((r & 3) == 0 || by <= 0) return 0.0;
    return with_sign(bits(random_fraction_at(by, state)), sign::both, state);
  }
  }
  return 0.0;
}

// The chunks that __libm__rem_pio2 hands to __libm__rem_pio2m for |x| >= 2^20 pi/2.
void chunk(double x, call& c, u64 i) {
  const u64 significand = (bits(x) & fraction_mask) | (u64{1} << 52);
  c.a[0] = static_cast<double>(significand >> 29);
  c.a[1] = static_cast<double>(significand >> 5 & 0xffffff);
  c.a[2] = static_cast<double>((significand & 0x1f) << 19);
  c.k[0] = biased_exponent(x) - 1046;
  c.k[1] = c.a[2] != 0 ? 3 : c.a[1] != 0 ? 2 : 1;
  c.k[2] = static_cast<int>(i % 4);
}

call make_call(const argument_set& set, u64 i, u64& state) {
  call c{};
  const u64 x_index = set.y.kind == shape::edges ? i / edge_count : i;
  c.a[0] = one_operand(set.x, 0.0, x_index, state);
  c.a[1] = one_operand(set.y, c.a[0], set.y.kind == shape::edges ? i % edge_count : i, state);
  if (set.f == form::short_or_integer_y && i % 4 == 1) c.a[1] = from_bits(bits(c.a[1]) & ~u64{0x07ffffff});
  if (set.f == form::short_or_integer_y && i % 8 == 3) {
    const int unit = 1075 - biased_exponent(c.a[1]); // fraction bits below the binary point
    if (unit > 52) c.a[1] = from_bits(bits(c.a[1]) & sign_bit);
    else if (unit > 0) c.a[1] = from_bits(bits(c.a[1]) & ~((u64{1} << unit) - 1));
  }
  if (set.f == form::reduced) __libm__rem_pio2(c.a[0], c.a);
  if (set.f == form::chunked) chunk(c.a[0], c, i);
  if (set.function == f_k_tan) c.k[0] = static_cast<int>(i & 1);
  return c;
}

u64 set_size(const argument_set& set, u64 count, int total_weight, int weight_before) {
  if (set.weight == 0)
    return set.x.kind == shape::kernel_edges ? kernel_edge_count : set.y.kind == shape::edges ? edge_count * edge_count : edge_count;
  return count * static_cast<u64>(weight_before + set.weight) / static_cast<u64>(total_weight) -
         count * static_cast<u64>(weight_before) / static_cast<u64>(total_weight);
}

// ---- one record: fixed little-endian layout ----

constexpr int flag_order[5] = {FE_INVALID, FE_DIVBYZERO, FE_OVERFLOW, FE_UNDERFLOW, FE_INEXACT};
constexpr char flag_letters[] = "IZOUX";
constexpr u64 nan_record = 0x7ff8000000000000; // every NaN result

struct record {
  unsigned char bytes[96];
  unsigned size = 0;
};

void put(record& r, u64 value, int width) {
  for (int b = 0; b < width; ++b) r.bytes[r.size++] = static_cast<unsigned char>(value >> (8 * b));
}
u64 result_bits(double v) { return v != v ? nan_record : bits(v); }

int errno_code(int e) { return e == 0 ? 0 : e == EDOM ? 1 : e == ERANGE ? 2 : 3; }
const char* errno_names[] = {"0", "EDOM", "ERANGE", "other"};

void print_call(const function_entry& fn, u64 index, const call& c, const outcome& o, int flags, int err, int kind) {
  std::printf("%s %llu", fn.name, static_cast<unsigned long long>(index));
  for (int i = 0; i < fn.doubles; ++i) std::printf(" %016llx", static_cast<unsigned long long>(bits(c.a[i])));
  for (int i = 0; i < fn.ints; ++i) std::printf(" %d", c.k[i]);
  std::printf(" ->");
  for (int i = 0; i < fn.results; ++i)
    if (o.r[i] != o.r[i]) std::printf(" NaN");
    else std::printf(" %016llx", static_cast<unsigned long long>(bits(o.r[i])));
  if (fn.quotient) std::printf(" n=%d", o.n);
  char letters[6] = "-----";
  for (int b = 0; b < 5; ++b)
    if (flags & (1 << b)) letters[b] = flag_letters[b];
  std::printf(" flags=%s errno=%s kind=%d\n", letters, errno_names[err], kind);
}

// What a batch entry left for one element.
struct element_outcome {
  double r;
  int raised; // fetestexcept after the call on that element alone
  int err;
  int kind;
};

// Runs every call of `fn`, or takes each call's outcome from `batch`; prints
// each record when `dump`.
std::string digest_of(function_id id, u64 count, bool dump, u64& calls,
                      const std::vector<element_outcome>* batch = nullptr, std::vector<call>* collected = nullptr) {
  const function_entry& fn = functions[id];
  int total_weight = 0;
  for (const argument_set& set : argument_sets)
    if (set.function == id) total_weight += set.weight;
  sha256 sha;
  calls = 0;
  int weight_before = 0;
  for (std::size_t s = 0; s < std::size(argument_sets); ++s) {
    const argument_set& set = argument_sets[s];
    if (set.function != id) continue;
    u64 state = 0x6a09e667f3bcc909 + s; // one fixed seed per set
    const u64 size = set_size(set, count, total_weight, weight_before);
    weight_before += set.weight;
    for (u64 i = 0; i < size; ++i, ++calls) {
      const call c = make_call(set, i, state);
      if (collected != nullptr) {
        collected->push_back(c);
        continue;
      }
      outcome o{{-1234.5, -1234.5, -1234.5}, 0};
      int raised;
      int err;
      if (batch != nullptr) {
        const element_outcome& e = (*batch)[calls];
        o.r[0] = e.r;
        raised = e.raised;
        err = errno_code(e.err);
        matherr_kind = e.kind;
      } else {
        std::feclearexcept(FE_ALL_EXCEPT);
        errno = 0;
        matherr_kind = 0;
        fn.run(c, o);
        raised = std::fetestexcept(FE_ALL_EXCEPT);
        err = errno_code(errno);
      }
      int flags = 0;
      for (int b = 0; b < 5; ++b)
        if (raised & flag_order[b]) flags |= 1 << b;
      record r;
      for (int a = 0; a < fn.doubles; ++a) put(r, bits(c.a[a]), 8);
      for (int a = 0; a < fn.ints; ++a) put(r, static_cast<u32>(c.k[a]), 4);
      for (int a = 0; a < fn.results; ++a) put(r, result_bits(o.r[a]), 8);
      if (fn.quotient) put(r, static_cast<u32>(o.n), 4);
      put(r, static_cast<u64>(flags), 1);
      put(r, static_cast<u64>(err), 1);
      put(r, static_cast<u64>(matherr_kind), 1);
      sha_add(sha, r.bytes, r.size);
      if (dump) print_call(fn, calls, c, o, flags, err, matherr_kind);
    }
  }
  return sha_hex(sha);
}

bool same_result(double a, double b) { return a != a ? b != b : bits(a) == bits(b); }

// The batch digest of `id`: its records from the batch entry (see the top of
// the file). Array calls that leave anything else than the scalar loop are
// reported and spoil the digest.
std::string batch_digest_of(function_id id, u64 count, u64& calls) {
  const function_entry& fn = functions[id];
  const batch_entry& entry = batch_entries[id];
  std::vector<call> all;
  digest_of(id, count, false, calls, nullptr, &all);
  std::vector<element_outcome> outcomes(all.size());

  // Each element alone: its own flags, errno and error kind.
  for (std::size_t i = 0; i < all.size(); ++i) {
    double r = -1234.5;
    std::feclearexcept(FE_ALL_EXCEPT);
    errno = 0;
    matherr_kind = 0;
    if (entry.unary != nullptr) entry.unary(1, &all[i].a[0], &r);
    else entry.binary(1, &all[i].a[0], &all[i].a[1], &r);
    outcomes[i] = {r, std::fetestexcept(FE_ALL_EXCEPT), errno, matherr_kind};
  }

  // Arrays of 0 .. 69 elements (any tail of any vector up to 32 lanes) at
  // offsets 0 .. 8 from an aligned start; every third in place in x, every
  // third of the binary ones in place in y.
  constexpr std::size_t longest = 69;
  constexpr std::size_t offsets = 9;
  alignas(64) double xs[longest + offsets];
  alignas(64) double ys[longest + offsets];
  alignas(64) double rs[longest + offsets];
  double expected[longest];
  handler_record expected_log[handler_log_size];
  int differing = 0;
  std::size_t next_element = 0;
  for (u64 k = 0; next_element < all.size(); ++k) {
    const std::size_t length = std::min<std::size_t>(k % (longest + 1), all.size() - next_element);
    const std::size_t offset = k % offsets;
    double* x = xs + offset;
    double* y = ys + offset;
    double* r = k % 3 == 1 ? x : k % 3 == 2 && entry.binary != nullptr ? y : rs + offset;
    for (std::size_t i = 0; i < longest + offsets; ++i) rs[i] = -1234.5;

    // The loop of scalar calls.
    std::feclearexcept(FE_ALL_EXCEPT);
    errno = 0;
    handler_calls = 0;
    for (std::size_t i = 0; i < length; ++i) {
      outcome o{{-1234.5, -1234.5, -1234.5}, 0};
      fn.run(all[next_element + i], o);
      expected[i] = o.r[0];
    }
    const int loop_raised = std::fetestexcept(FE_ALL_EXCEPT);
    const int loop_errno = errno;
    const int loop_handler_calls = handler_calls;
    std::copy(handler_log, handler_log + handler_log_size, expected_log);

    // The batch call over the same elements.
    for (std::size_t i = 0; i < length; ++i) {
      x[i] = all[next_element + i].a[0];
      y[i] = all[next_element + i].a[1];
    }
    const double after_end = r[length];
    std::feclearexcept(FE_ALL_EXCEPT);
    errno = 0;
    handler_calls = 0;
    if (entry.unary != nullptr) entry.unary(length, x, r);
    else entry.binary(length, x, y, r);
    const int batch_raised = std::fetestexcept(FE_ALL_EXCEPT);

    bool same = batch_raised == loop_raised && errno == loop_errno && handler_calls == loop_handler_calls &&
                bits(r[length]) == bits(after_end);
    for (int i = 0; i < std::min(handler_calls, handler_log_size); ++i)
      same = same && handler_log[i].kind == expected_log[i].kind && handler_log[i].arg1 == expected_log[i].arg1 &&
             handler_log[i].arg2 == expected_log[i].arg2;
    for (std::size_t i = 0; i < length; ++i) {
      same = same && same_result(r[i], expected[i]) && same_result(r[i], outcomes[next_element + i].r);
      outcomes[next_element + i].r = r[i];
    }
    if (!same && ++differing <= 3) {
      std::fprintf(stderr, "batch %s on %s: array of %zu at offset %zu (elements from %zu) differs from the scalar loop",
                   fn.name, korvel_batch_target(), length, offset, next_element);
      std::fprintf(stderr, " (flags %#x/%#x, errno %d/%d, handler calls %d/%d)\n", batch_raised, loop_raised, errno,
                   loop_errno, handler_calls, loop_handler_calls);
      for (std::size_t i = 0; i < length; ++i)
        if (!same_result(r[i], expected[i]))
          std::fprintf(stderr, "  element %zu: %016llx -> %016llx, scalar %016llx\n", i,
                       static_cast<unsigned long long>(bits(x[i])), static_cast<unsigned long long>(bits(r[i])),
                       static_cast<unsigned long long>(bits(expected[i])));
    }
    next_element += length;
  }
  u64 recorded = 0;
  std::string digest = digest_of(id, count, false, recorded, &outcomes);
  return differing == 0 ? digest : "spoiled by " + std::to_string(differing) + " differing array calls";
}

// Whether this processor can run the named batch target.
bool batch_target_runs_here(const char* name) {
  const unsigned sets = batch_instruction_sets();
  if (std::strcmp(name, "sse4") == 0) return (sets & LIBM_BATCH_SSE4) != 0;
  if (std::strcmp(name, "avx2") == 0) return (sets & LIBM_BATCH_AVX2) != 0;
  if (std::strcmp(name, "avx512") == 0) return (sets & LIBM_BATCH_AVX512) != 0;
  if (std::strcmp(name, "sve") == 0) return (sets & LIBM_BATCH_SVE) != 0;
  return true;
}

// Compares the digests with an expected file of "name sha256 count" lines.
int check(const char* path, const std::string (&digests)[function_count], const u64 (&calls)[function_count]) {
  std::FILE* file = std::fopen(path, "r");
  if (file == nullptr) {
    std::fprintf(stderr, "cannot open %s\n", path);
    return 1;
  }
  int differing = 0;
  bool seen[function_count] = {};
  char name[32];
  char hex[65];
  unsigned long long count = 0;
  while (std::fscanf(file, "%31s %64s %llu", name, hex, &count) == 3) {
    for (int f = 0; f < function_count; ++f) {
      if (std::strcmp(name, functions[f].name) != 0) continue;
      seen[f] = true;
      if (digests[f] != hex || calls[f] != count) {
        std::printf("DIFFERS %s: expected %s %llu, got %s %llu\n", name, hex, count, digests[f].c_str(),
                    static_cast<unsigned long long>(calls[f]));
        ++differing;
      }
    }
  }
  std::fclose(file);
  for (int f = 0; f < function_count; ++f)
    if (!seen[f]) {
      std::printf("MISSING %s in %s\n", functions[f].name, path);
      ++differing;
    }
  return differing == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
  if (!sha_self_check()) {
    std::fprintf(stderr, "SHA-256 self-check failed\n");
    return 2;
  }
  u64 count = 100000;
  const char* dump_name = nullptr;
  const char* expected_path = nullptr;
  const char* batch_target = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--dump") == 0 && i + 1 < argc) dump_name = argv[++i];
    else if (std::strcmp(argv[i], "--batch") == 0 && i + 1 < argc) batch_target = argv[++i];
    else if (std::strcmp(argv[i], "--check") == 0 && i + 1 < argc) expected_path = argv[++i];
    else count = std::strtoull(argv[i], nullptr, 10);
  }
  std::string digests[function_count];
  u64 calls[function_count] = {};
  for (int f = 0; f < function_count; ++f) {
    const bool dump = dump_name != nullptr && std::strcmp(dump_name, functions[f].name) == 0;
    if (dump_name != nullptr && !dump) continue;
    digests[f] = digest_of(static_cast<function_id>(f), count, dump, calls[f]);
    if (!dump) std::printf("%s %s %llu\n", functions[f].name, digests[f].c_str(), static_cast<unsigned long long>(calls[f]));
  }
  int status = expected_path != nullptr ? check(expected_path, digests, calls) : 0;
  if (batch_target != nullptr && dump_name == nullptr) {
    const bool any = std::strcmp(batch_target, "any") == 0;
    if (!any && !batch_target_runs_here(batch_target)) {
      std::fprintf(stderr, "batch target %s: not on this processor\n", batch_target);
      return 77;
    }
    if (!any && std::strcmp(korvel_batch_target(), batch_target) != 0) {
      std::fprintf(stderr, "batch target %s asked, %s used (KORVEL_BATCH_TARGET?)\n", batch_target, korvel_batch_target());
      return 1;
    }
    for (int f = 0; f <= f_pow; ++f) {
      u64 batch_calls = 0;
      const std::string digest = batch_digest_of(static_cast<function_id>(f), count, batch_calls);
      if (digest != digests[f] || batch_calls != calls[f]) {
        std::fprintf(stderr, "DIFFERS batch %s on %s: %s, scalar %s\n", functions[f].name, korvel_batch_target(), digest.c_str(),
                     digests[f].c_str());
        status = 1;
      }
    }
    std::fprintf(stderr, "batch digests on %s: %s\n", korvel_batch_target(), status == 0 ? "same as the scalar ones" : "DIFFER");
  }
  return status;
}
