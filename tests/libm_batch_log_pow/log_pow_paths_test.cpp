// korvel_vlog and korvel_vpow against their scalar loops on arrays that put
// lanes of every path side by side in one block: the vector bodies compute
// every form of a block and select, so a form computed for a lane that takes
// another (or goes to the scalar function) must not raise a flag the loop
// does not. Every window of each case list is run (each length, each start),
// so every lane position and tail meets every neighbour. The batch target is
// the one KORVEL_BATCH_TARGET forces (CTest runs this once per target).
#include <gtest/gtest.h>

#include <bit>
#include <cerrno>
#include <cfenv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "korvel_math.h"
#include "forced_batch_target.h"
#include "recording_handler.h"

namespace {


// What a run over one window left: results, accrued flags, errno, handler calls.
struct outcome {
  std::vector<double> results;
  int flags;
  int errno_value;
  int handler_calls;
  handler_call last_call;
};

template <class Run>
outcome run_window(std::size_t length, Run run) {
  outcome o{std::vector<double>(length), 0, 0, 0, {}};
  reset_recorded_handler(0.0);
  errno = 0;
  std::feclearexcept(FE_ALL_EXCEPT);
  run(o.results.data());
  o.flags = std::fetestexcept(FE_ALL_EXCEPT);
  o.errno_value = errno;
  o.handler_calls = recorded_handler.calls;
  o.last_call = recorded_handler.last;
  return o;
}

bool same_bits(double a, double b) {
  return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b) || (std::isnan(a) && std::isnan(b));
}

void expect_same(const outcome& batch, const outcome& loop, const std::string& where) {
  for (std::size_t i = 0; i < loop.results.size(); ++i) {
    EXPECT_TRUE(same_bits(batch.results[i], loop.results[i]))
        << where << " element " << i << ": " << batch.results[i] << " against " << loop.results[i];
  }
  EXPECT_EQ(batch.flags, loop.flags) << where;
  EXPECT_EQ(batch.errno_value, loop.errno_value) << where;
  EXPECT_EQ(batch.handler_calls, loop.handler_calls) << where;
  if (loop.handler_calls > 0) {
    EXPECT_EQ(batch.last_call.type, loop.last_call.type) << where;
  }
}

double from_bits(std::uint64_t bits) { return std::bit_cast<double>(bits); }

constexpr double inf = std::numeric_limits<double>::infinity();
constexpr double max_double = std::numeric_limits<double>::max();
const double quiet_nan = std::numeric_limits<double>::quiet_NaN();
const double signalling_nan = from_bits(0x7ff4000000000000ULL);

struct log_case {
  const char* name;
  std::vector<double> xs;
};

const log_case log_cases[] = {
    // f*f of the cubic form and the series near one would overflow for the far lanes.
    {"near one beside the far ends", {1.0000001, 1e300, 0.95, max_double, 1.0 + 0x1p-52, 2.3e-308, 1.05, 7.0, 0.9999999}},
    // ln 1 = 0 exactly: no flag at all, whatever forms the block computes.
    {"exact one", {1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0}},
    {"one among special operands", {1.0, 0.0, 1.0, -1.0, inf, 1.0, -inf, quiet_nan, 5e-324, 1.0, -0.0, signalling_nan}},
    {"ends of the table and near-one ranges",
     {0.09375, 0.09374999999999999, 23.5, 23.500000000000004, 0.9394, 1.0645, 0.99609375, 1.0039052963256836,
      from_bits(0x3feffffc00000000ULL), from_bits(0x3ff0000400000000ULL)}},
    {"subnormal and normal neighbours", {5e-324, 2.2250738585072014e-308, 1e-310, 0.5, 4.9e-324, 3.0}},
};

struct pow_case {
  const char* name;
  std::vector<double> xs;
  std::vector<double> ys;
};

const pow_case pow_cases[] = {
    {"ordinary", {2.5, 0.01, 99.0, 0.5, 7.25, 33.3, 0.125, 1.7}, {3.5, -9.9, 0.37, 10.1, -0.123, 2.2, 6.6, -1.1}},
    // Around the vector path's bound |y·log2 x| < 1000 and beyond the overflow and underflow thresholds.
    {"near the ends of the range",
     {2.0, 2.0, 2.0, 2.0, 0.5, 0.5, 10.0, 1e300, 1e-300, 3.0, 2.0},
     {999.9999999, 1000.5000001, 1023.9999999, 1024.0000001, 1074.2000001, 1075.3000001, 308.2500001, 3.3000001,
      -3.3000001, 645.1, -1074.9000001}},
    // y's conversion to single precision would underflow where the scalar path never forms it.
    {"tiny y",
     {2.5, 2.5, 2.5, 2.5, 0.97, 1e300, 2.5, 0.3},
     {0x1p-60 * (1.0 + 0x1p-25), 0x1p-54 * (1.0 + 0x1p-25), 0x1p-53 * (1.0 + 0x1p-30), 1e-300, 1e-20,
      0x1p-54 * (1.0 + 0x1p-26), 0x1p-200 * (1.0 + 0x1p-25), -0x1p-150 * (1.0 + 0x1p-24)}},
    // Low 27 bits of y clear: the unsplit product.
    {"y of 26 significant bits",
     {3.7, 0.5, 1.5, 0.99, 11.0},
     {1.5 + 0x1p-25, -7.25 + 0x1p-24, 100.0 + 0x1p-19, 3.0 + 0x1p-25, -0.5 - 0x1p-26}},
    // The near-one form of log2 beside lanes whose x - 1 is huge.
    {"x near one beside far x", {0.98, 1e300, 1.02, 1e-300, 1.0, 0.9999999, max_double}, {3.3, 0.7, -2.2, 0.33, 5.5, 1e5, 0.5}},
    {"errors beside ordinary lanes",
     {-2.0, 0.0, 2.0, 0.0, quiet_nan, -8.0, 2.0, inf, 2.0, -0.0, 5e-324},
     {0.5, -1.5, 3.3, 0.0, 0.0, 3.0, quiet_nan, 0.5, signalling_nan, -0.5, 0.7}},
};

class BatchLogPowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!forced_batch_target_runs_here()) GTEST_SKIP() << "this processor lacks the forced batch target";
  }
};

TEST_F(BatchLogPowTest, LogWindowsMatchTheScalarLoop) {
  for (const log_case& c : log_cases) {
    const std::size_t count = c.xs.size();
    for (std::size_t length = 1; length <= count; ++length) {
      for (std::size_t start = 0; start + length <= count; ++start) {
        const double* x = c.xs.data() + start;
        const outcome loop = run_window(length, [&](double* r) {
          for (std::size_t i = 0; i < length; ++i) r[i] = __log(x[i]);
        });
        const outcome batch = run_window(length, [&](double* r) { korvel_vlog(length, x, r); });
        expect_same(batch, loop,
                    std::string(c.name) + " from " + std::to_string(start) + ", length " + std::to_string(length) +
                        " on " + korvel_batch_target());
      }
    }
  }
}

TEST_F(BatchLogPowTest, PowWindowsMatchTheScalarLoop) {
  for (const pow_case& c : pow_cases) {
    ASSERT_EQ(c.xs.size(), c.ys.size()) << c.name;
    const std::size_t count = c.xs.size();
    for (std::size_t length = 1; length <= count; ++length) {
      for (std::size_t start = 0; start + length <= count; ++start) {
        const double* x = c.xs.data() + start;
        const double* y = c.ys.data() + start;
        const outcome loop = run_window(length, [&](double* r) {
          for (std::size_t i = 0; i < length; ++i) r[i] = __pow(x[i], y[i]);
        });
        const outcome batch = run_window(length, [&](double* r) { korvel_vpow(length, x, y, r); });
        expect_same(batch, loop,
                    std::string(c.name) + " from " + std::to_string(start) + ", length " + std::to_string(length) +
                        " on " + korvel_batch_target());
      }
    }
  }
}

// Each lane of a block alone off the path, the others on it, at every position.
TEST_F(BatchLogPowTest, OneSpecialLaneAtEveryPosition) {
  constexpr std::size_t length = 19;
  const double specials[] = {0.0, -1.0, inf, quiet_nan, 5e-324, 1.0};
  for (const double special : specials) {
    for (std::size_t position = 0; position < length; ++position) {
      std::vector<double> xs(length);
      std::vector<double> ys(length);
      for (std::size_t i = 0; i < length; ++i) {
        xs[i] = 0.3 + 1.7 * static_cast<double>(i);
        ys[i] = -2.1 + 0.37 * static_cast<double>(i);
      }
      xs[position] = special;
      const std::string where = "x = " + std::to_string(special) + " at " + std::to_string(position);
      expect_same(run_window(length, [&](double* r) { korvel_vlog(length, xs.data(), r); }),
                  run_window(length, [&](double* r) {
                    for (std::size_t i = 0; i < length; ++i) r[i] = __log(xs[i]);
                  }),
                  "log, " + where);
      expect_same(run_window(length, [&](double* r) { korvel_vpow(length, xs.data(), ys.data(), r); }),
                  run_window(length, [&](double* r) {
                    for (std::size_t i = 0; i < length; ++i) r[i] = __pow(xs[i], ys[i]);
                  }),
                  "pow, " + where);
    }
  }
}

}  // namespace
