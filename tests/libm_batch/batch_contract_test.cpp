// The batch entry points' contract beyond the result bits (which the
// reproducibility digest holds on every target): a batch call leaves exactly
// what the loop of scalar calls over its elements leaves — results, accrued
// flags, errno, the matherr calls in element order — in place or not, for
// every tail length and alignment, n = 0, in each rounding mode and with traps.
// CTest runs it once per batch target (KORVEL_BATCH_TARGET); a target this
// processor lacks is skipped.
#include "korvel_math.h"

#include <gtest/gtest.h>

#include "forced_batch_target.h"
#include "trap_child.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cfenv>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

class ForcedTargetEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    if (!forced_batch_target_runs_here()) GTEST_SKIP() << "this processor lacks the forced batch target";
  }
};
const auto* const forced_target_environment = ::testing::AddGlobalTestEnvironment(new ForcedTargetEnvironment);

struct matherr_call {
  int type;
  std::uint64_t arg1, arg2;
  bool operator==(const matherr_call&) const = default;
};
std::vector<matherr_call> matherr_calls;

}  // namespace

// ANSI mode's handling (return 0: errno set, the mode's value returned), recorded.
int matherr(struct exception* record) {
  matherr_calls.push_back({record->type, std::bit_cast<std::uint64_t>(record->arg1),
                           std::bit_cast<std::uint64_t>(record->arg2)});
  return 0;
}

namespace {

using unary_batch = void (*)(size_t, const double*, double*);
using binary_batch = void (*)(size_t, const double*, const double*, double*);

struct batch_function {
  const char* name;
  unary_batch batch1;
  binary_batch batch2;
  double (*scalar1)(double);
  double (*scalar2)(double, double);
  std::vector<double> ordinary;  // main-path arguments (x; y of binary functions alike)
  std::vector<double> special;   // errors, special operands, other paths
};

constexpr double inf = __builtin_inf();
const double qnan = std::bit_cast<double>(std::uint64_t{0x7ff8000000000000});
const double snan = std::bit_cast<double>(std::uint64_t{0x7ff4000000000001});
const double tiny = std::bit_cast<double>(std::uint64_t{1});

const std::vector<double> common_special = {0.0, -0.0, inf, -inf, qnan, -qnan, snan, tiny, -1.0, 1e300, -1e300};
std::vector<double> with_common(std::vector<double> own) {
  own.insert(own.end(), common_special.begin(), common_special.end());
  return own;
}

const std::vector<batch_function> functions = {
    {"sin", korvel_vsin, nullptr, __sin, nullptr, {0.3, -0.7, 1.5, 2.75, -10.0, 100.5}, with_common({1e22, 0x1p-30})},
    {"cos", korvel_vcos, nullptr, __cos, nullptr, {0.3, -0.7, 1.5, 2.75, -10.0, 100.5}, with_common({1e22, 0x1p-30})},
    {"tan", korvel_vtan, nullptr, __tan, nullptr, {0.3, -0.7, 1.5, 2.75, -10.0, 100.5}, with_common({1e22, 0x1p-30})},
    {"asin", korvel_vasin, nullptr, __asin, nullptr, {0.3, -0.7, 0.55, -0.99, 0.125}, with_common({1.5, -2.0, 1.0})},
    {"acos", korvel_vacos, nullptr, __acos, nullptr, {0.3, -0.7, 0.55, -0.99, 0.125}, with_common({1.5, -2.0, 1.0})},
    {"atan", korvel_vatan, nullptr, __atan, nullptr, {0.3, -0.7, 1.5, 2.75, -10.0, 100.5}, with_common({0x1p70})},
    {"atan2", nullptr, korvel_vatan2, nullptr, __atan2, {0.3, -0.7, 1.5, 2.75, -10.0, 100.5}, with_common({0x1p-1070})},
    {"exp", korvel_vexp, nullptr, __exp, nullptr, {1.5, -2.75, 10.0, 100.5, -700.0, 709.0},
     with_common({1000.0, -1000.0, -740.0, 0.25, 0x1p-40})},
    {"log", korvel_vlog, nullptr, __log, nullptr, {0.3, 1.5, 2.75, 10.0, 100.5, 1e-300}, with_common({1.0, -2.0})},
    {"pow", nullptr, korvel_vpow, nullptr, __pow, {0.3, 1.5, 2.75, 10.0, 0.5, 3.0}, with_common({-2.0, 2000.0, -3.5})},
    {"sqrt", korvel_vsqrt, nullptr, __sqrt, nullptr, {0.3, 1.5, 2.75, 10.0, 1e-310, 4.0}, with_common({-2.0, -tiny})},
    {"ceil", korvel_vceil, nullptr, __ceil, nullptr, {0.3, -0.7, 1.5, -2.5, 4.0, -1e15}, with_common({0x1p52, 0x1.8p52})},
    {"floor", korvel_vfloor, nullptr, __floor, nullptr, {0.3, -0.7, 1.5, -2.5, 4.0, -1e15}, with_common({0x1p52, 0x1.8p52})},
    {"rint", korvel_vrint, nullptr, __rint, nullptr, {0.3, -0.7, 1.5, -2.5, 4.0, -0.25}, with_common({0x1p52, 0x1.8p52})},
    {"fmod", nullptr, korvel_vfmod, nullptr, __fmod, {0.3, -0.7, 1.5, 2.75, -10.0, 100.5}, with_common({})},
    {"remainder", nullptr, korvel_vremainder, nullptr, __remainder, {0.3, -0.7, 1.5, 2.75, -10.0, 100.5},
     with_common({})},
};

// Everything a call sequence leaves behind.
struct observed {
  std::vector<std::uint64_t> results;  // NaNs as one pattern: their payloads may differ
  int flags;
  int errno_value;
  std::vector<matherr_call> calls;
  bool operator==(const observed&) const = default;
};

std::uint64_t result_bits(double r) { return r != r ? 0x7ff8000000000000 : std::bit_cast<std::uint64_t>(r); }

void start_observing() {
  std::feclearexcept(FE_ALL_EXCEPT);
  errno = 0;
  matherr_calls.clear();
}
observed finish_observing(const double* r, std::size_t n) {
  observed o{{}, std::fetestexcept(FE_ALL_EXCEPT), errno, matherr_calls};
  for (std::size_t i = 0; i < n; ++i) o.results.push_back(result_bits(r[i]));
  return o;
}

observed scalar_loop(const batch_function& f, const std::vector<double>& x, const std::vector<double>& y) {
  std::vector<double> r(x.size());
  start_observing();
  for (std::size_t i = 0; i < x.size(); ++i) r[i] = f.scalar1 ? f.scalar1(x[i]) : f.scalar2(x[i], y[i]);
  return finish_observing(r.data(), r.size());
}

enum class place { apart, in_x, in_y };

// The batch call on copies of x and y placed `offset` doubles past an aligned start.
observed batch_call(const batch_function& f, const std::vector<double>& x, const std::vector<double>& y,
                    std::size_t offset, place where) {
  alignas(64) double xs[80], ys[80], rs[80];
  std::copy(x.begin(), x.end(), xs + offset);
  std::copy(y.begin(), y.end(), ys + offset);
  double* r = where == place::in_x ? xs + offset : where == place::in_y && f.batch2 ? ys + offset : rs + offset;
  start_observing();
  if (f.batch1) f.batch1(x.size(), xs + offset, r);
  else f.batch2(x.size(), xs + offset, ys + offset, r);
  return finish_observing(r, x.size());
}

// n arguments from the pools: every `special_every`-th from the special pool (0: none).
std::vector<double> arguments(const batch_function& f, std::size_t n, std::size_t special_every, std::uint64_t seed) {
  std::vector<double> v(n);
  for (std::size_t i = 0; i < n; ++i) {
    seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
    const std::vector<double>& pool = special_every != 0 && i % special_every == special_every - 1 ? f.special : f.ordinary;
    v[i] = pool[(seed >> 33) % pool.size()];
  }
  return v;
}

TEST(BatchContract, NoElementsTouchNothing) {
  for (const batch_function& f : functions) {
    SCOPED_TRACE(f.name);
    double x[1] = {-1.0}, r[1] = {1234.5};
    start_observing();
    if (f.batch1) {
      f.batch1(0, x, r);
      f.batch1(0, nullptr, nullptr);
    } else {
      f.batch2(0, x, x, r);
      f.batch2(0, nullptr, nullptr, nullptr);
    }
    EXPECT_EQ(finish_observing(r, 1), (observed{{result_bits(1234.5)}, 0, 0, {}}));
  }
}

// Every length up to 40 (each tail of each vector width up to 16 lanes), every
// offset, separate and in place; with and without special lanes.
TEST(BatchContract, AsTheScalarLoopForEveryLengthOffsetAndPlace) {
  for (const batch_function& f : functions) {
    SCOPED_TRACE(f.name);
    for (std::size_t special_every : {0, 7, 2, 1}) {
      for (std::size_t n = 1; n <= 40; ++n) {
        const std::vector<double> x = arguments(f, n, special_every, n);
        const std::vector<double> y = arguments(f, n, special_every, n + 99);
        const observed expected = scalar_loop(f, x, y);
        for (std::size_t offset = 0; offset < 8; ++offset)
          for (place where : {place::apart, place::in_x, place::in_y})
            ASSERT_EQ(batch_call(f, x, y, offset, where), expected)
                << "n=" << n << " offset=" << offset << " special every " << special_every << " place "
                << static_cast<int>(where) << " on " << korvel_batch_target();
      }
    }
  }
}

// Error lanes amid ordinary ones reach matherr in element order, and errno
// ends as the last one set it.
TEST(BatchContract, ErrorLanesReachTheHandlerInElementOrder) {
  struct error_case {
    unary_batch batch;
    std::vector<double> x;
    std::vector<matherr_call> calls;
    int errno_value;
  };
  const std::uint64_t big = std::bit_cast<std::uint64_t>(1000.0), small = std::bit_cast<std::uint64_t>(-1000.0);
  const std::uint64_t zero = 0, minus_two = std::bit_cast<std::uint64_t>(-2.0);
  const error_case cases[] = {
      {korvel_vexp, {1.5, 2.5, 3.5, 1000.0, 4.5, -1000.0, 5.5, 6.5, 7.5, 8.5, 1000.0, 9.5},
       {{OVERFLOW, big, big}, {UNDERFLOW, small, small}, {OVERFLOW, big, big}}, ERANGE},
      {korvel_vlog, {1.5, 2.5, 3.5, 0.0, 4.5, 5.5, -2.0, 6.5, 7.5}, {{SING, zero, zero}, {DOMAIN, minus_two, minus_two}}, EDOM},
      {korvel_vsqrt, {1.5, -2.0, 3.5, 4.5, 5.5, 6.5, 7.5, 8.5, 9.5, -2.0, 1.0}, {{DOMAIN, minus_two, minus_two}, {DOMAIN, minus_two, minus_two}}, EDOM},
  };
  for (const error_case& c : cases) {
    std::vector<double> r(c.x.size());
    start_observing();
    c.batch(c.x.size(), c.x.data(), r.data());
    EXPECT_EQ(matherr_calls, c.calls);
    EXPECT_EQ(errno, c.errno_value);
  }
}

// The inverse trigonometric bodies compute every branch on every lane: one
// quiet NaN, zero, subnormal, tiny or huge lane at each position amid main-path
// lanes of every branch (an ordered compare on the NaN would raise invalid on
// SSE4 and NEON; x*x of a tiny lane, underflow) leaves the loop's flags.
TEST(BatchContract, InverseTrigQuietLanesAmidMainPathLanes) {
  struct quiet_case {
    const char* name;
    std::vector<double> main_path;  // 16 lanes over the branches
    std::vector<double> odd_lanes;
  };
  const std::vector<double> odd = {qnan, -qnan, 0.0, -0.0, tiny, -0x1p-600, 0x1p-40};
  const quiet_case cases[] = {
      {"asin", {0.3, -0.7, 0.55, -0.99, 0x1p-20, 0.98, -0.6, 0.1, 0.4, -0.2, 0.9, 0.999, -0.5, 0.75, 0.01, -0.3},
       odd},
      {"acos", {0.3, -0.7, 0.55, -0.99, 0x1p-50, 0.98, -0.6, 0.1, 0.4, -0.2, 0.9, 0.999, -0.5, 0.75, 0.01, -0.3},
       odd},
      {"atan", {0.3, -0.7, 1.5, -2.75, 10.0, -100.5, 1e6, 0x1p-12, 0x1p-20, -0x1p-25, 1.0, -0.125, 7.99, 8.0, 1e17, -3.0},
       {qnan, -qnan, 0.0, -0.0, tiny, -0x1p-600, 0x1p-40, inf}},
      {"atan2", {0.3, -0.7, 1.5, -2.75, 10.0, -100.5, 1e6, 0x1p-12, 0x1p-20, -0x1p-25, 1.0, -0.125, 7.99, 8.0, 1e17, -3.0},
       {qnan, -qnan, 0.0, -0.0, tiny, -0x1p-600, 0x1p-80, inf}},
  };
  for (const quiet_case& c : cases) {
    const batch_function& f = *std::find_if(functions.begin(), functions.end(),
                                            [&](const batch_function& g) { return std::strcmp(g.name, c.name) == 0; });
    SCOPED_TRACE(f.name);
    for (double lane : c.odd_lanes) {
      for (std::size_t at = 0; at < c.main_path.size(); ++at) {
        std::vector<double> x = c.main_path, y(c.main_path.rbegin(), c.main_path.rend());
        x[at] = lane;
        ASSERT_EQ(batch_call(f, x, y, 0, place::apart), scalar_loop(f, x, y))
            << "lane " << lane << " at " << at << " on " << korvel_batch_target();
        std::swap(x, y);
        ASSERT_EQ(batch_call(f, x, y, 0, place::apart), scalar_loop(f, x, y))
            << "y lane " << lane << " at " << at << " on " << korvel_batch_target();
      }
    }
  }
}

TEST(BatchContract, EachRoundingModeAsTheScalarLoop) {
  for (int mode : {FE_TONEAREST, FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
    for (const batch_function& f : functions) {
      SCOPED_TRACE(f.name);
      const std::vector<double> x = arguments(f, 37, 5, 7), y = arguments(f, 37, 5, 8);
      ASSERT_EQ(std::fesetround(mode), 0);
      const observed expected = scalar_loop(f, x, y);
      const observed batch = batch_call(f, x, y, 1, place::apart);
      std::fesetround(FE_TONEAREST);
      EXPECT_EQ(batch, expected) << "rounding mode " << mode;
    }
  }
}

// With a trap enabled the batch call takes it where the loop takes it (the
// same exception), or neither takes one and the results agree.
TEST(BatchContract, TrapsAsTheScalarLoop) {
  for (const batch_function& f : functions) {
    SCOPED_TRACE(f.name);
    const std::vector<double> x = arguments(f, 23, 6, 3), y = arguments(f, 23, 6, 4);
    for (int trap : {FE_INVALID, FE_DIVBYZERO, FE_OVERFLOW, FE_UNDERFLOW, FE_INEXACT}) {
      // The child exits with the number of results that differ when no trap comes.
      const auto run = [&](bool batch) {
        return exit_status_in_child(trap, [&] {
          std::vector<double> r(x.size());
          if (!batch) {
            for (std::size_t i = 0; i < x.size(); ++i) r[i] = f.scalar1 ? f.scalar1(x[i]) : f.scalar2(x[i], y[i]);
            _exit(0);
          }
          if (f.batch1) f.batch1(x.size(), x.data(), r.data());
          else f.batch2(x.size(), x.data(), y.data(), r.data());
          fedisableexcept(FE_ALL_EXCEPT);
          int differing = 0;
          for (std::size_t i = 0; i < x.size(); ++i)
            differing += result_bits(r[i]) != result_bits(f.scalar1 ? f.scalar1(x[i]) : f.scalar2(x[i], y[i]));
          _exit(differing);
        });
      };
      EXPECT_EQ(run(true), run(false)) << "trap " << trap;
    }
  }
}

}  // namespace
