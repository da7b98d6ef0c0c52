// Argument sets of exp and log for the accuracy runs: the whole domain and
// each branch of the two functions, with fixed seeds.
#include "accuracy_sets.h"
#include "korvel_math.h"

#include <bit>
#include <cstdint>
#include <iterator>
#include <utility>

namespace {

double from_bits(std::uint64_t bits) { return std::bit_cast<double>(bits); }

// Uniform in [low, high), positive.
std::vector<double> uniform(std::size_t count, std::uint64_t seed, double low, double high) {
  return uniform_arguments(count, seed, low, high, false);
}

// Random low word, high word uniform in [low_high, high_high]; `negative`
// gives half of them the sign bit.
std::vector<double> by_high_word(std::size_t count, std::uint64_t seed, std::uint32_t low_high, std::uint32_t high_high,
                                 bool negative) {
  argument_engine engine(seed);
  std::uniform_int_distribution<std::uint32_t> high(low_high, high_high);
  std::vector<double> xs;
  xs.reserve(count);
  while (xs.size() < count) {
    std::uint64_t bits = static_cast<std::uint64_t>(high(engine)) << 32 | (engine() & 0xffffffffu);
    if (negative && (engine() & 1) != 0) bits |= 0x8000000000000000u;
    xs.push_back(from_bits(bits));
  }
  return xs;
}

argument_pairs unary(std::vector<double> xs) { return {std::move(xs), {}}; }

// exp: x up to 746 below zero and 710 above, overflow and underflow included.
argument_pairs exp_whole_range(std::size_t count) { return unary(uniform(count, 0xe0001, -746.0, 710.0)); }
// |x| < 2^-18: 1 + x and 1 + x(1 + x/2), no division.
argument_pairs exp_tiny(std::size_t count) { return unary(by_high_word(count, 0xe0002, 0x3c900000, 0x3ecfffff, true)); }
// 2^-18 <= |x| <= ln 2/64: the table path with j = 0, m = 0.
argument_pairs exp_unreduced(std::size_t count) {
  return unary(by_high_word(count, 0xe0003, 0x3ed00000, 0x3f862e42, true));
}
// ln 2/64 < |x| <= ln 2/2: k = 0.
argument_pairs exp_k_zero(std::size_t count) {
  std::vector<double> xs = uniform(count, 0xe0004, 0.0108305, 0.3465736);
  for (std::size_t i = 0; i < xs.size(); i += 2) xs[i] = -xs[i];
  return unary(std::move(xs));
}
// ln 2/2 < |x| <= 1.5 ln 2: k = ±1.
argument_pairs exp_k_one(std::size_t count) {
  std::vector<double> xs = uniform(count, 0xe0005, 0.3465736, 1.0397207);
  for (std::size_t i = 0; i < xs.size(); i += 2) xs[i] = -xs[i];
  return unary(std::move(xs));
}
// Results near the overflow threshold: m up to 1024.
argument_pairs exp_near_overflow(std::size_t count) { return unary(uniform(count, 0xe0006, 700.0, 709.782712893384)); }
// Subnormal results: m < -1021, scaled by 2^-54 in one rounding.
argument_pairs exp_subnormal(std::size_t count) {
  return unary(uniform(count, 0xe0007, -745.1332191019411, -708.3964185322641));
}

// log: positive arguments only (the domain errors are tested on their own).
// Positive subnormals, scaled by 2^52.
argument_pairs log_subnormal(std::size_t count) {
  return unary(by_high_word(count, 0x10001, 0x00000000, 0x000fffff, false));
}
// Normal x below 0.09375: the general path.
argument_pairs log_below_table(std::size_t count) {
  return unary(by_high_word(count, 0x10002, 0x00100000, 0x3fb7ffff, false));
}
// 0.09375 <= x < 23.5 away from one: the 256-point table.
argument_pairs log_table(std::size_t count) {
  argument_engine engine(0x10003);
  std::uniform_int_distribution<std::uint32_t> high(0x3fb80000, 0x40377fff);
  std::vector<double> xs;
  xs.reserve(count);
  while (xs.size() < count) {
    const std::uint32_t hx = high(engine);
    if (hx > 0x3fee0f8e && hx < 0x3ff10842) continue;
    xs.push_back(from_bits(static_cast<std::uint64_t>(hx) << 32 | (engine() & 0xffffffffu)));
  }
  return unary(std::move(xs));
}
// hx from 0x3feffffc to 0x3ff00003: f - f^2(1/2 - f/3).
argument_pairs log_cubic(std::size_t count) {
  return unary(by_high_word(count, 0x10004, 0x3feffffc, 0x3ff00003, false));
}
// x within about 1/256 of one: the two-coefficient series.
argument_pairs log_near_one(std::size_t count) {
  return unary(by_high_word(count, 0x10005, 0x3fefe000, 0x3ff00fff, false));
}
// The rest of (0.9394, 1.0645): the four-coefficient series.
argument_pairs log_wider_one(std::size_t count) {
  argument_engine engine(0x10006);
  std::uniform_int_distribution<std::uint32_t> high(0x3fee0f8f, 0x3ff10841);
  std::vector<double> xs;
  xs.reserve(count);
  while (xs.size() < count) {
    const std::uint32_t hx = high(engine);
    if (hx >= 0x3fefe000 && hx <= 0x3ff00fff) continue;
    xs.push_back(from_bits(static_cast<std::uint64_t>(hx) << 32 | (engine() & 0xffffffffu)));
  }
  return unary(std::move(xs));
}
// 23.5 up to the largest double: the general path.
argument_pairs log_huge(std::size_t count) {
  return unary(by_high_word(count, 0x10007, 0x40378000, 0x7fefffff, false));
}

}  // namespace

const accuracy_set exp_log_accuracy_sets[] = {
    {"exp", "[-746, 710]", __exp, mpfr_exp, nullptr, nullptr, exp_whole_range},
    {"exp", "|x| < 2^-18", __exp, mpfr_exp, nullptr, nullptr, exp_tiny},
    {"exp", "2^-18 <= |x| <= ln2/64", __exp, mpfr_exp, nullptr, nullptr, exp_unreduced},
    {"exp", "ln2/64 < |x| <= ln2/2 (k = 0)", __exp, mpfr_exp, nullptr, nullptr, exp_k_zero},
    {"exp", "ln2/2 < |x| <= 1.5 ln2 (k = +-1)", __exp, mpfr_exp, nullptr, nullptr, exp_k_one},
    {"exp", "[700, threshold1]", __exp, mpfr_exp, nullptr, nullptr, exp_near_overflow},
    {"exp", "[-threshold2, -708.4] (subnormal)", __exp, mpfr_exp, nullptr, nullptr, exp_subnormal},
    {"log", "positive subnormals", __log, mpfr_log, nullptr, nullptr, log_subnormal},
    {"log", "[2^-1022, 0.09375)", __log, mpfr_log, nullptr, nullptr, log_below_table},
    {"log", "[0.09375, 23.5) table", __log, mpfr_log, nullptr, nullptr, log_table},
    {"log", "hx 0x3feffffc..0x3ff00003 (cubic)", __log, mpfr_log, nullptr, nullptr, log_cubic},
    {"log", "hx 0x3fefe000..0x3ff00fff", __log, mpfr_log, nullptr, nullptr, log_near_one},
    {"log", "(0.9394, 1.0645) other", __log, mpfr_log, nullptr, nullptr, log_wider_one},
    {"log", "[23.5, max]", __log, mpfr_log, nullptr, nullptr, log_huge},
};
const std::size_t exp_log_accuracy_set_count = std::size(exp_log_accuracy_sets);
