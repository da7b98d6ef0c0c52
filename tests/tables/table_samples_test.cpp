// The sample rows the tables are known by hold exactly the values shown, and
// the points and indices of every table are as their readers compute them.
#include <gtest/gtest.h>

#include <charconv>
#include <cstdint>
#include <cstring>
#include <string>

#include "exp_tables.h"
#include "libm_bits.h"
#include "libm_tables.h"
#include "log_tables.h"
#include "pio2_inf.h"

namespace {

// The shortest decimal text names exactly one double.
std::uint64_t bits_of_decimal(const char* text) {
  double value = 0.0;
  const auto result = std::from_chars(text, text + std::strlen(text), value);
  EXPECT_EQ(result.ec, std::errc()) << text;
  return double_bits(value);
}

struct TrigSample {
  int i;
  const char* x;
  const char* values[6];  // sin_hi, sin_lo, cos_hi, cos_lo, tan_hi, tan_lo
};

const TrigSample TRIG_SAMPLES[] = {
    {0, "0.15625", {"0.15561499277355603", "8.886053372342288e-18", "0.9878177838164719", "4.91917302237681e-17",
                    "0.15753410732527162", "-1.1061539275293055e-17"}},
    {24, "0.25", {"0.24740395925452294", "-7.53102495590706e-18", "0.9689124217106447", "5.071436662403935e-17",
                  "0.25534192122103627", "-5.589358343564783e-18"}},
    {56, "0.5", {"0.479425538604203", "-5.103969860556013e-18", "0.8775825618903728", "-4.2623149864279997e-17",
                 "0.5463024898437905", "2.9096576216837176e-17"}},
    {74, "0.78125", {"0.7041675114545337", "-3.94095700584825e-17", "0.7100338835660797", "1.505272211891291e-17",
                     "0.9917378983632686", "3.6259342816800307e-17"}},
    {1, "0.16015625", {"0.15947245893184342", "5.8182208265316395e-19", "0.9872023778548304", "4.194017459527892e-17",
                       "0.16153978404952146", "1.422554359119327e-17"}},
    {33, "0.3203125", {"0.3148631813197452", "2.858980592548557e-17", "0.949137069684463", "4.149148046099445e-17",
                       "0.3317362595735728", "-1.0819304605807124e-17"}},
    {37, "0.3515625", {"0.3443651581456984", "5.881664587517989e-18", "0.9388357885462655", "6.919329459921788e-18",
                       "0.3668002033443234", "2.825964743033481e-17"}},
};

TEST(TableSamples, TrigRowsHoldTheShownValues) {
  const double* const tables[6] = {__libm_TBL_sin_hi, __libm_TBL_sin_lo, __libm_TBL_cos_hi,
                                   __libm_TBL_cos_lo, __libm_TBL_tan_hi, __libm_TBL_tan_lo};
  const char* const names[6] = {"sin_hi", "sin_lo", "cos_hi", "cos_lo", "tan_hi", "tan_lo"};
  for (const TrigSample& sample : TRIG_SAMPLES) {
    EXPECT_EQ(double_bits(double_from_words(static_cast<std::int32_t>(0x3FC40000 + sample.i * 0x8000), 0)),
              bits_of_decimal(sample.x))
        << "breakpoint " << sample.i;
    for (int t = 0; t < 6; ++t) {
      EXPECT_EQ(double_bits(tables[t][sample.i]), bits_of_decimal(sample.values[t])) << names[t] << " row " << sample.i;
    }
  }
}

struct PairSample {
  const char* table;
  const double* hi;
  const double* lo;
  int row;
  std::uint64_t hi_bits;
  const char* hi_value;
  std::uint64_t lo_bits;
  const char* lo_value;
};

const PairSample PAIR_SAMPLES[] = {
    {"atan", __libm_TBL_atan_hi, __libm_TBL_atan_lo, 0, 0x3FBFD5BA9AAC2F6E, "0.12435499454676144", 0xBC4CD37686760C17,
     "-3.1253241424539383e-18"},
    {"atan", __libm_TBL_atan_hi, __libm_TBL_atan_lo, 16, 0x3FCF5B75F92C80DD, "0.24497866312686414", 0x3C68AB6E3CF7AFBD,
     "1.0698755618734451e-17"},
    {"atan", __libm_TBL_atan_hi, __libm_TBL_atan_lo, 48, 0x3FE921FB54442D18, "0.7853981633974483", 0x3C81A62633145C07,
     "3.061616997868383e-17"},
    {"atan", __libm_TBL_atan_hi, __libm_TBL_atan_lo, 96, 0x3FF7249FAA996A21, "1.446441332248135", 0x3C9A8CC1E7480C68,
     "9.211323971545052e-17"},
    {"exp", exp_tbl_hi, exp_tbl_lo, 0, 0x3FF0000000000000, "1.0", 0x0000000000000000, "0.0"},
    {"exp", exp_tbl_hi, exp_tbl_lo, 1, 0x3FF059B0D3158574, "1.0218971486541166", 0x3C8D73E2A475B465,
     "5.109225028973444e-17"},
    {"exp", exp_tbl_hi, exp_tbl_lo, 16, 0x3FF6A09E667F3BCD, "1.4142135623730951", 0xBC9BDD3413B26456,
     "-9.667293313452913e-17"},
    {"log", __libm_TBL_log_hi, __libm_TBL_log_lo, 0, 0xC002EFDE816246E6, "-2.367123614131617", 0x3CA237654E16B9E3,
     "1.2640159434521668e-16"},
    {"log", __libm_TBL_log_hi, __libm_TBL_log_lo, 128, 0x3FD9F323ECBF984C, "0.4054651081081644", 0xBC4A92E513217F5C,
     "-2.8811380259626426e-18"},
    {"log", __libm_TBL_log_hi, __libm_TBL_log_lo, 255, 0x400941896FD2623B, "3.1570004211501135", 0xBCACF4781E5ABE00,
     "-2.0091538061008389e-16"},
    {"log2", __libm_TBL_log2_hi, __libm_TBL_log2_lo, 0, 0x0000000000000000, "0.0", 0x0000000000000000, "0.0"},
    {"log2", __libm_TBL_log2_hi, __libm_TBL_log2_lo, 1, 0x3F86FE5000000000, "0.011227250099182129", 0x3E36DDE10A2FF1C7,
     "5.324071991431631e-09"},
    {"log2", __libm_TBL_log2_hi, __libm_TBL_log2_lo, 64, 0x3FE2B80300000000, "0.5849623680114746", 0x3E81CFDEB43CFD00,
     "1.3270968157207873e-07"},
    {"log2", __libm_TBL_log2_hi, __libm_TBL_log2_lo, 127, 0x3FEFD1BE00000000, "0.9943532943725586",
     0x3E831FCABE50AC88, "1.424862993438281e-07"},
    {"exp2", __libm_TBL_exp2_hi, __libm_TBL_exp2_lo, 0, 0x3FF0000000000000, "1.0", 0x0000000000000000, "0.0"},
    {"exp2", __libm_TBL_exp2_hi, __libm_TBL_exp2_lo, 1, 0x3FF02C9A3E778061, "1.0108892860517005", 0xBC719083535B085D,
     "-1.5234778603368577e-17"},
    {"exp2", __libm_TBL_exp2_hi, __libm_TBL_exp2_lo, 32, 0x3FF6A09E667F3BCD, "1.4142135623730951",
     0xBC9BDD3413B26456, "-9.667293313452913e-17"},
    {"exp2", __libm_TBL_exp2_hi, __libm_TBL_exp2_lo, 63, 0x3FFFA7C1819E90D8, "1.978456026387951", 0x3C874853F3A5931E,
     "4.0388753109278167e-17"},
};

TEST(TableSamples, PairRowsHoldTheShownBitsAndValues) {
  for (const PairSample& sample : PAIR_SAMPLES) {
    EXPECT_EQ(double_bits(sample.hi[sample.row]), sample.hi_bits) << sample.table << " hi row " << sample.row;
    EXPECT_EQ(double_bits(sample.lo[sample.row]), sample.lo_bits) << sample.table << " lo row " << sample.row;
    // The shown decimal and the shown bits are the same double.
    EXPECT_EQ(bits_of_decimal(sample.hi_value), sample.hi_bits) << sample.table << " hi row " << sample.row;
    EXPECT_EQ(bits_of_decimal(sample.lo_value), sample.lo_bits) << sample.table << " lo row " << sample.row;
  }
}

TEST(TableSamples, SingleValuesHoldTheShownValues) {
  EXPECT_EQ(double_bits(__libm_TBL_exp2_hi[39]), 0x3FF868D99B4492ECu);  // the neighbour toward zero
  EXPECT_EQ(double_bits(exp_tbl_hi[1]), 0x3FF059B0D3158574u);
  EXPECT_EQ(double_bits(log_tbl32[0]), 0u);
  EXPECT_EQ(double_bits(log_tbl32[1]), bits_of_decimal("0.030771658666753687"));
  EXPECT_EQ(double_bits(log_tbl32[31]), bits_of_decimal("0.6773988235918061"));
}

TEST(TableSamples, Ipio2StartsAndEndsWithTheShownChunks) {
  const int first[] = {0xA2F983, 0x6E4E44, 0x1529FC, 0x2757D1};
  const int last[] = {0x73A8C9, 0x60E27B, 0xC08C6B};
  for (int j = 0; j < 4; ++j) EXPECT_EQ(__libm_TBL_ipio2_inf[j], first[j]) << j;
  for (int j = 0; j < 3; ++j) EXPECT_EQ(__libm_TBL_ipio2_inf[63 + j], last[j]) << 63 + j;
  EXPECT_EQ(sizeof __libm_TBL_ipio2_inf, 264u);
}

TEST(TableSamples, Pio2InfHoldsTheEightShownChunks) {
  const struct {
    std::uint64_t bits;
    const char* value;
  } chunks[8] = {
      {0x3FF921FB40000000, "1.570796251296997"},     {0x3E74442D00000000, "7.549789415861596e-08"},
      {0x3CF8469880000000, "5.390302529957765e-15"}, {0x3B78CC5160000000, "3.282003415807913e-22"},
      {0x39F01B8380000000, "1.270655753080676e-29"}, {0x387A252040000000, "1.2293330898111133e-36"},
      {0x36E3822280000000, "2.7337005381646456e-44"}, {0x3569F31D00000000, "2.1674168387780482e-51"},
  };
  for (int k = 0; k < 8; ++k) {
    EXPECT_EQ(double_bits(pio2_inf[k]), chunks[k].bits) << k;
    EXPECT_EQ(bits_of_decimal(chunks[k].value), chunks[k].bits) << k;
  }
}

// ---------------------------------------------------------------- points and indices

double from_high(std::uint32_t high) { return double_from_words(static_cast<std::int32_t>(high), 0); }

// Breakpoint i has high word 0x3FC40000 + i*0x8000: the doubles with five fraction
// bits from 0.15625 to 0.78125, and the kernels' split finds row i again.
TEST(TablePoints, TrigBreakpointsAndTheirSplit) {
  for (int i = 0; i < 75; ++i) {
    const double x = from_high(0x3FC40000u + static_cast<std::uint32_t>(i) * 0x8000u);
    const double expected = i < 24 ? 0.15625 + i / 256.0 : i < 56 ? 0.25 + (i - 24) / 128.0 : 0.5 + (i - 56) / 64.0;
    EXPECT_EQ(double_bits(x), double_bits(expected)) << i;
    const double just_above = double_from_bits(double_bits(x) + 0x3FFFFFFFFFu);  // still rounds to x
    for (const double a : {x, just_above}) {
      const std::uint32_t split = (static_cast<std::uint32_t>(high_word(a)) + 0x4000u) & 0x7FFF8000u;
      EXPECT_EQ(static_cast<int>((split - 0x3FC40000u) >> 15), i) << i;
    }
  }
  // The kernels' largest argument (high word 0x3FE93FFF) still lands in row 74.
  EXPECT_EQ(((0x3FE93FFFu + 0x4000u) & 0x7FFF8000u) - 0x3FC40000u, 74u << 15);
}

TEST(TablePoints, AtanPointsAndTheirIndex) {
  for (int k = 0; k < 97; ++k) {
    const double y = from_high(0x3FC00000u + (static_cast<std::uint32_t>(k) << 16));
    const double scale = k < 16 ? 0.125 : k < 32 ? 0.25 : k < 48 ? 0.5 : k < 64 ? 1.0 : k < 80 ? 2.0 : k < 96 ? 4.0 : 8.0;
    EXPECT_EQ(double_bits(y), double_bits(scale * (1.0 + (k % 16) / 16.0))) << k;
  }
  const struct {
    double x;
    int k;
  } cases[] = {{0.125, 0}, {1.0, 48}, {8.0, 96}, {7.99, 96}, {0.1288, 0}, {0.1290, 1}};
  for (const auto& c : cases) {
    const std::uint32_t h = (static_cast<std::uint32_t>(high_word(c.x)) + 0x8000u) & 0x7FFF0000u;
    EXPECT_EQ(static_cast<int>((h - 0x3FC00000u) >> 16), c.k) << c.x;
  }
}

TEST(TablePoints, LogPointsAndTheirIndex) {
  for (int k = 0; k < 256; ++k) {
    const std::uint32_t high = 0x3FB80000u + static_cast<std::uint32_t>(k) * 0x8000u;
    const int binade = (k + 16) / 32 - 4;
    double scale = 1.0;
    for (int e = 0; e < binade; ++e) scale *= 2.0;
    for (int e = 0; e > binade; --e) scale *= 0.5;
    EXPECT_EQ(double_bits(from_high(high)), double_bits(scale * (1.0 + ((k + 16) % 32) / 32.0))) << k;
    // The table path's two index forms agree for every x rounding to y_k.
    const std::uint32_t lowest = high - 0x4000u;
    EXPECT_EQ(static_cast<int>((lowest - 0x3FB7C000u) >> 15), k) << k;
    EXPECT_EQ(static_cast<int>((high + 0x3FFFu - 0x3FB7C000u) >> 15), k) << k;
  }
  EXPECT_EQ(double_bits(from_high(0x3FB80000u)), double_bits(0.09375));
  EXPECT_EQ(double_bits(from_high(0x3FB80000u + 16u * 0x8000u)), double_bits(0.125));
  EXPECT_EQ(double_bits(from_high(0x3FB80000u + 112u * 0x8000u)), double_bits(1.0));
  EXPECT_EQ(double_bits(from_high(0x3FB80000u + 255u * 0x8000u)), double_bits(23.5));
}

}  // namespace
