// exp and log on their edge values and one value per branch: result bits,
// exactly the exception flags raised, and the calls that reach the error
// handler (the recording stand-in) with their arguments. Expected results are
// the documented values of the functions or MPFR's correctly rounded ones.
#include "function_cases.h"
#include "korvel_math.h"
#include "recording_handler.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

// A result neither function computes, to prove the handler's is passed through.
constexpr std::uint64_t handler_answer = 0x4045400000000000;  // 42.5

constexpr int INV = FE_INVALID;
constexpr int INX = FE_INEXACT;
constexpr int UNF = FE_UNDERFLOW | FE_INEXACT;

struct edge_case {
  std::uint64_t x;
  std::uint64_t expected;  // handler_answer when the handler is called
  int flags;               // exactly the flags raised, round to nearest
  int type;                // handler type code, 0: no call
};

std::string label(const char* function, std::uint64_t x) {
  char text[64];
  std::snprintf(text, sizeof text, "%s(0x%016llx)", function, static_cast<unsigned long long>(x));
  return text;
}

void run_cases(const char* name, double (*function)(double), const edge_case* cases, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    const edge_case& c = cases[i];
    const std::string what = label(name, c.x);
    reset_recorded_handler(from_bits(handler_answer));
    std::feclearexcept(FE_ALL_EXCEPT);
    const double result = function(from_bits(c.x));
    const int flags = std::fetestexcept(FE_ALL_EXCEPT);
    char got[64];
    std::snprintf(got, sizeof got, "got 0x%016llx", static_cast<unsigned long long>(to_bits(result)));
    EXPECT_EQ(to_bits(result), c.expected) << what << ": " << got;
    EXPECT_EQ(flags, c.flags) << what;
    EXPECT_EQ(recorded_handler.calls, c.type == 0 ? 0 : 1) << what;
    if (c.type != 0 && recorded_handler.calls == 1) {
      EXPECT_EQ(to_bits(recorded_handler.last.x), c.x) << what;
      EXPECT_EQ(to_bits(recorded_handler.last.y), c.x) << what;
      EXPECT_EQ(recorded_handler.last.type, c.type) << what;
    }
  }
  std::feclearexcept(FE_ALL_EXCEPT);
}

TEST(ExpEdges, DocumentedValuesFlagsAndErrors) {
  const edge_case cases[] = {
      {0x3ff0000000000000, 0x4005bf0a8b14576a, INX, 0},  // exp(1): one above the nearest double, k = 1
      {0xbff0000000000000, 0x3fd78b56362cef38, INX, 0},  // exp(-1)
      {0x3fe0000000000000, 0x3ffa61298e1e069c, INX, 0},  // exp(0.5)
      {0x3e10000000000000, 0x3ff0000000400000, INX, 0},  // exp(2^-30) = 1 + x
      {0x3eb0000000000000, 0x3ff0000100000800, INX, 0},  // exp(2^-20) = 1 + x(1 + x/2)
      {0xbfd62e42fefa39f0, 0x3fe6a09e667f3bcc, INX, 0},  // just beyond -ln2/2: k = -1
      {0x3fd62e42fefa39f0, 0x3ff6a09e667f3bcd, INX, 0},  // just beyond ln2/2: k = 1
      {0x40862e42fefa39ef, 0x7fefffffffffff2a, INX, 0},  // threshold1: finite
      {0x40862e42fefa39f0, handler_answer, 0, 6},        // next double: overflow
      {0xc0874910d52d3051, min_subnormal, UNF, 0},       // -threshold2: 5e-324
      {0xc0874910d52d3052, handler_answer, 0, 7},        // next double: underflow
      {0xc087200000000000, 0x0000000000000055, UNF, 0},  // exp(-740) = 4.2e-322 through 2^-54
      {plus_inf, plus_inf, 0, 0},
      {minus_inf, plus_zero, 0, 0},
      {max_finite, handler_answer, 0, 6},
      {max_finite | minus_zero, handler_answer, 0, 7},
      // x + huge is exact for x = 0 only; elsewhere it raises inexact even
      // where 1 + x is exact.
      {plus_zero, 0x3ff0000000000000, 0, 0},
      {minus_zero, 0x3ff0000000000000, 0, 0},
      {0x3d70000000000000, 0x3ff0000000001000, INX, 0},  // 2^-40: 1 + x exact
      {min_subnormal, 0x3ff0000000000000, INX, 0},
      {0x3e20000000000000, 0x3ff0000000800000, INX, 0},  // 2^-29
      {0xbe20000000000000, 0x3fefffffff000000, INX, 0},  // -2^-29
      {0xbec92a737110e454, 0x3feffff9b563c210, INX, 0},  // -3e-6: second tiny form
      {0x3ee4f8b588e368f1, 0x3ff0000a7c5e340e, INX, 0},  // 1e-5: table row 0, no reduction
      {0xbf847ae147ae147b, 0x3fefae7cfd2b9cfe, INX, 0},  // -0.01
      {0x3fc999999999999a, 0x3ff38add9e58ac8d, INX, 0},  // 0.2: k = 0
      {0xbfc999999999999a, 0x3fea330ad6166159, INX, 0},  // -0.2
      {0x3ff0a2b23f3bab73, 0x4006a09e667f3bcc, INX, 0},  // 1.5 ln 2: still k = 1
      {0xbff0a2b23f3bab73, 0x3fd6a09e667f3bcd, INX, 0},  // -1.5 ln 2: still k = -1
      {0x3ff0a3d70a3d70a4, 0x4006a23c87af69e8, INX, 0},  // 1.04: table path
      {0xbff0a3d70a3d70a4, 0x3fd69f0062e862fe, INX, 0},  // -1.04
      {0x4024000000000000, 0x40d5829dcf950560, INX, 0},  // exp(10)
      {0xc024000000000000, 0x3f07cd79b5647c9b, INX, 0},  // exp(-10)
      {0x4085e00000000000, 0x7f0d945df4f8ec8e, INX, 0},  // exp(700)
      {0xc085e00000000000, 0x00d14f2b0fb9307f, INX, 0},  // exp(-700)
      {0xc086240000000000, 0x000e6cf6d08897ac, UNF, 0},  // exp(-708.5): subnormal
      {0xc087480000000000, min_subnormal, UNF, 0},       // exp(-745)
      // NaNs: a quiet one unchanged and silent, a signalling one quieted with invalid.
      {quiet_nan, quiet_nan, 0, 0},
      {0xfff8000000000123, 0xfff8000000000123, 0, 0},
      {signalling_nan, 0x7ff8000000000001, INV, 0},
      {0xfff4000000000000, 0xfffc000000000000, INV, 0},
  };
  run_cases("exp", __exp, cases, std::size(cases));
}

TEST(ExpEdges, SignallingNanInDirectedRoundingIsQuietedByArithmetic) {
  for (const rounding_mode& m : all_rounding_modes) {
    SCOPED_TRACE(m.name);
    reset_recorded_handler(0);
    std::feclearexcept(FE_ALL_EXCEPT);
    double result;
    {
      rounding_scope scope(m.mode);
      result = __exp(from_bits(0x7ff0000000000123));
    }
    EXPECT_EQ(to_bits(result), 0x7ff8000000000123u);
    EXPECT_EQ(std::fetestexcept(FE_ALL_EXCEPT), FE_INVALID);
    EXPECT_EQ(recorded_handler.calls, 0);
  }
  std::feclearexcept(FE_ALL_EXCEPT);
}

TEST(LogEdges, DocumentedValuesFlagsAndErrors) {
  const edge_case cases[] = {
      {0x3ff0000000000000, plus_zero, 0, 0},             // log(1) = +0, exact
      {0x4000000000000000, 0x3fe62e42fefa39ef, INX, 0},  // log(2)
      {0x4024000000000000, 0x40026bb1bbb55516, INX, 0},  // log(10)
      {0x3fe0000000000000, 0xbfe62e42fefa39ef, INX, 0},  // log(0.5)
      {min_subnormal, 0xc0874385446d71c3, INX, 0},       // log(5e-324): scaled by 2^52
      {max_finite, 0x40862e42fefa39ef, INX, 0},
      {0x4037800000000000, 0x400941896fd2623b, INX, 0},  // 23.5 fails hx < 0x40378000: general path
      {0x4037800000000001, 0x400941896fd2623b, INX, 0},  // next double
      {0x40377fffffffffff, 0x400941896fd2623a, INX, 0},  // previous double: table row 255
      {0x3fefe00000000000, 0xbf70080559588b35, INX, 0},  // 0.99609375: two-coefficient series
      {0x3ff00fff00000000, 0x3f6fee0ca0a32992, INX, 0},  // 1.0039052963256836: same
      {0x3ff000001ad7f29b, 0x3e7ad7f2847b6492, INX, 0},  // 1.0000001: f - f^2(1/2 - f/3)
      {0x3fefffffffffffff, 0xbca0000000000000, INX, 0},  // 1 - 2^-53
      {0x3ff0000000000001, 0x3cafffffffffffff, INX, 0},  // 1 + 2^-52
      {0x3ff0f5c28f5c28f6, 0x3fadd56c1d883ee6, INX, 0},  // 1.06: four-coefficient series
      {0x3fee666666666666, 0xbfaa431d5bcc193e, INX, 0},  // 0.95
      {0x3fee0ebedfa43fe6, 0xbfb007e356c662a8, INX, 0},  // 0.9393: table row 108
      {0x3ff1083126e978d5, 0x3fb0005754d06346, INX, 0},  // 1.0645: table row 114
      {0x3fb8000000000000, 0xc002efde816246e6, INX, 0},  // 0.09375: table row 0, s = 0
      {0x3fb999999999999a, 0xc0026bb1bbb55515, INX, 0},  // 0.1
      {0x3feccccccccccccd, 0xbfbaf8e8210a415c, INX, 0},  // 0.9
      {0x4008000000000000, 0x3ff193ea7aad030b, INX, 0},  // 3
      {0x3fa999999999999a, 0xc007f7427b73e391, INX, 0},  // 0.05: general path
      {0x4059000000000000, 0x40126bb1bbb55516, INX, 0},  // 100
      {0x7e37e43c8800759c, 0x4085963447f87fb5, INX, 0},  // 1e300
      {0x01a56e1fc2f8f359, 0xc085963447f87fb5, INX, 0},  // 1e-300
      {0x0010000000000000, 0xc086232bdd7abcd2, INX, 0},  // smallest normal
      {0x000fffffffffffff, 0xc086232bdd7abcd2, INX, 0},  // largest subnormal
      {plus_zero, handler_answer, 0, 16},
      {minus_zero, handler_answer, 0, 16},
      {0xbff0000000000000, handler_answer, 0, 17},       // log(-1)
      {min_subnormal | minus_zero, handler_answer, 0, 17},
      {max_finite | minus_zero, handler_answer, 0, 17},
      {minus_inf, 0xfff8000000000000, INV, 0},            // -inf - -inf: the default NaN, no handler
      {plus_inf, plus_inf, 0, 0},
      {quiet_nan, quiet_nan, 0, 0},
      {0xfff8000000000123, 0xfff8000000000123, 0, 0},     // negative NaN: x - x, no handler
      {signalling_nan, 0x7ff8000000000001, INV, 0},
      {0xfff0000000000001, 0xfff8000000000001, INV, 0},
  };
  run_cases("log", __log, cases, std::size(cases));
}

}  // namespace
