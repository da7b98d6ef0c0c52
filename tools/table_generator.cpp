// Writes every table source of the math library from its rule, with MPFR.
//
//   korvel_table_generator <folder>
//
// writes _TBL_*.cpp (the exported tables) and exp_tables.h, log_tables.h,
// pio2_inf.h (tables private to single modules) into <folder>. Each value is
// computed at WORK_BITS bits and rounded once; a row that departs from the plain
// "nearest" rule is listed in the exception lists below with its reason.
#include <gmp.h>
#include <mpfr.h>

#include <bit>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

namespace {

constexpr mpfr_prec_t WORK_BITS = 256;

// How a hi entry is obtained from the exact value v.
enum class HiRule {
  nearest,                // v rounded to nearest
  other_neighbour,        // the double on the other side of v from the nearest
  below,                  // the double just below v (the nearest lies above it)
  nearest_toward_zero,    // the nearest's neighbour toward zero (it lies on v's side)
  nearest_high_word,      // the nearest with its low word cleared
};

// How a lo entry is obtained from the exact difference d = v - hi.
enum class LoRule {
  nearest,
  below,                  // the double just below d (the nearest lies above it)
  toward_zero,            // d rounded toward zero (the nearest lies farther out)
  toward_exact,           // the nearest's neighbour on d's side
  pinned,                 // a given value within one ulp of d
};

struct RowRule {
  int row;
  HiRule hi;
  LoRule lo;
  std::uint64_t pinned_lo;  // bits, used by LoRule::pinned only
  const char* note;         // written beside the row
};

using ExactFn = void (*)(mpfr_t out, int row);

struct PairTable {
  const char* file;
  const char* hi_name;
  const char* lo_name;
  int rows;
  ExactFn exact;
  HiRule plain_hi;
  std::span<const RowRule> exceptions;
  const char* heading;  // comment block at the top of the file
};

struct Pair {
  double hi;
  double lo;
};

double from_bits(std::uint64_t bits) { return std::bit_cast<double>(bits); }
std::uint64_t to_bits(double x) { return std::bit_cast<std::uint64_t>(x); }
double from_high_word(std::uint32_t high) { return from_bits(static_cast<std::uint64_t>(high) << 32); }

// Neighbouring doubles by their bit patterns (finite arguments).
double next_up(double x) {
  if (x == 0.0) return from_bits(1);
  return x > 0.0 ? from_bits(to_bits(x) + 1) : from_bits(to_bits(x) - 1);
}
double next_down(double x) { return -next_up(-x); }
double next_toward_zero(double x) { return x == 0.0 ? x : from_bits(to_bits(x) - 1); }
// One unit toward the side `side` (> 0: up, < 0: down) of x.
double next_to_side(double x, int side) { return side > 0 ? next_up(x) : next_down(x); }

// ---------------------------------------------------------------- exact values

void set_quotient(mpfr_t out, long numerator, unsigned long denominator) {
  mpfr_set_si(out, numerator, MPFR_RNDN);
  mpfr_div_ui(out, out, denominator, MPFR_RNDN);
}

double trig_breakpoint(int i) { return from_high_word(0x3FC40000u + static_cast<std::uint32_t>(i) * 0x8000u); }
void exact_sin(mpfr_t out, int i) { mpfr_set_d(out, trig_breakpoint(i), MPFR_RNDN); mpfr_sin(out, out, MPFR_RNDN); }
void exact_cos(mpfr_t out, int i) { mpfr_set_d(out, trig_breakpoint(i), MPFR_RNDN); mpfr_cos(out, out, MPFR_RNDN); }
void exact_tan(mpfr_t out, int i) { mpfr_set_d(out, trig_breakpoint(i), MPFR_RNDN); mpfr_tan(out, out, MPFR_RNDN); }

void exact_atan(mpfr_t out, int k) {
  mpfr_set_d(out, from_high_word(0x3FC00000u + (static_cast<std::uint32_t>(k) << 16)), MPFR_RNDN);
  mpfr_atan(out, out, MPFR_RNDN);
}

void exact_log(mpfr_t out, int k) {
  mpfr_set_d(out, from_high_word(0x3FB80000u + static_cast<std::uint32_t>(k) * 0x8000u), MPFR_RNDN);
  mpfr_log(out, out, MPFR_RNDN);
}

void exact_log2(mpfr_t out, int j) { set_quotient(out, 128 + j, 128); mpfr_log2(out, out, MPFR_RNDN); }
void exact_exp2_64(mpfr_t out, int j) { set_quotient(out, j, 64); mpfr_exp2(out, out, MPFR_RNDN); }
void exact_exp2_32(mpfr_t out, int j) { set_quotient(out, j, 32); mpfr_exp2(out, out, MPFR_RNDN); }
void exact_log_1p32(mpfr_t out, int j) { set_quotient(out, 32 + j, 32); mpfr_log(out, out, MPFR_RNDN); }

// ---------------------------------------------------------------- row rules

constexpr RowRule SIN_EXCEPTIONS[] = {
    {33, HiRule::other_neighbour, LoRule::nearest, 0, "hi: the neighbour on the other side"},
};
// These lo entries are one unit off the nearest on the side of the exact
// difference; they are kept as the established values.
constexpr RowRule COS_EXCEPTIONS[] = {
    {1, HiRule::nearest, LoRule::pinned, 0x3C882D46FF943B08, "lo: pinned, one unit below the nearest"},
    {24, HiRule::nearest, LoRule::pinned, 0x3C8D3C1E99E5CAFC, "lo: pinned, one unit below the nearest"},
};
constexpr RowRule TAN_EXCEPTIONS[] = {
    {1, HiRule::other_neighbour, LoRule::nearest, 0, "hi: the neighbour on the other side"},
    {37, HiRule::other_neighbour, LoRule::nearest, 0, "hi: the neighbour on the other side"},
    {74, HiRule::nearest, LoRule::pinned, 0x3C84E6EF3DDE2F06, "lo: pinned, one unit below the nearest"},
};
constexpr RowRule ATAN_EXCEPTIONS[] = {
    {2, HiRule::below, LoRule::nearest, 0, "hi: the double just below"},
    {7, HiRule::below, LoRule::nearest, 0, "hi: the double just below"},
    {9, HiRule::below, LoRule::nearest, 0, "hi: the double just below"},
    {18, HiRule::nearest, LoRule::below, 0, "lo: the double just below"},
    {24, HiRule::below, LoRule::nearest, 0, "hi: the double just below"},
    {28, HiRule::below, LoRule::nearest, 0, "hi: the double just below"},
    {31, HiRule::below, LoRule::nearest, 0, "hi: the double just below"},
};
constexpr RowRule LOG_EXCEPTIONS[] = {
    {108, HiRule::nearest_toward_zero, LoRule::nearest, 0, "hi: the neighbour toward zero"},
};
constexpr RowRule EXP_EXCEPTIONS[] = {
    {2, HiRule::nearest, LoRule::toward_zero, 0, "lo: the neighbour toward zero"},
    {13, HiRule::nearest, LoRule::toward_zero, 0, "lo: the neighbour toward zero"},
    {28, HiRule::nearest, LoRule::toward_zero, 0, "lo: the neighbour toward zero"},
};
// Rows 4, 11, 26, 43, 56 hold a lo one unit from the nearest; which neighbour is
// not fixed by its rule. Chosen: the neighbour on the side of the exact
// difference (in all five rows that is also the neighbour toward zero, the same
// choice the exp table makes at the equal points 2/32, 13/32, 28/32). To be
// confirmed by pow's own edge cases.
constexpr RowRule EXP2_EXCEPTIONS[] = {
    {4, HiRule::nearest, LoRule::toward_exact, 0, "lo: the neighbour on the exact side"},
    {11, HiRule::nearest, LoRule::toward_exact, 0, "lo: the neighbour on the exact side"},
    {26, HiRule::nearest, LoRule::toward_exact, 0, "lo: the neighbour on the exact side"},
    {39, HiRule::nearest_toward_zero, LoRule::nearest, 0, "hi: the neighbour toward zero"},
    {43, HiRule::nearest, LoRule::toward_exact, 0, "lo: the neighbour on the exact side"},
    {56, HiRule::nearest, LoRule::toward_exact, 0, "lo: the neighbour on the exact side"},
};

const RowRule* find_exception(std::span<const RowRule> exceptions, int row) {
  for (const RowRule& rule : exceptions) {
    if (rule.row == row) return &rule;
  }
  return nullptr;
}

// ---------------------------------------------------------------- rounding

// Sign of (x - v): which side of the exact value a double lies on.
int side_of(double x, const mpfr_t v) { return -mpfr_cmp_d(v, x); }

bool make_hi(HiRule rule, const mpfr_t v, double* hi) {
  const double nearest = mpfr_get_d(v, MPFR_RNDN);
  const int side = side_of(nearest, v);
  switch (rule) {
    case HiRule::nearest:
      *hi = nearest;
      return true;
    case HiRule::other_neighbour:
      if (side == 0) return false;
      *hi = next_to_side(nearest, -side);
      return true;
    case HiRule::below:
      if (side <= 0) return false;
      *hi = next_down(nearest);
      return true;
    case HiRule::nearest_toward_zero:
      // Must stay on the exact value's side, one unit in.
      if (side == 0 || (side > 0) != (nearest > 0)) return false;
      *hi = next_toward_zero(nearest);
      return true;
    case HiRule::nearest_high_word:
      *hi = from_bits(to_bits(nearest) & 0xFFFFFFFF00000000u);
      return true;
  }
  return false;
}

// |x - d| < one ulp of x on d's side: the check every lo entry must pass.
bool within_one_ulp(double x, const mpfr_t d) {
  const int side = side_of(x, d);
  if (side == 0) return true;
  const double neighbour = next_to_side(x, -side);
  return side_of(neighbour, d) != side;
}

bool make_lo(const RowRule* rule, const mpfr_t d, double* lo) {
  const double nearest = mpfr_get_d(d, MPFR_RNDN);
  const int side = side_of(nearest, d);
  switch (rule == nullptr ? LoRule::nearest : rule->lo) {
    case LoRule::nearest:
      *lo = nearest;
      return true;
    case LoRule::below:
      if (side <= 0) return false;
      *lo = next_down(nearest);
      return true;
    case LoRule::toward_zero:
      if (side == 0 || (side > 0) != (nearest > 0)) return false;
      *lo = next_toward_zero(nearest);
      return true;
    case LoRule::toward_exact:
      if (side == 0) return false;
      *lo = next_to_side(nearest, -side);
      return true;
    case LoRule::pinned:
      *lo = from_bits(rule->pinned_lo);
      return *lo != nearest && within_one_ulp(*lo, d);
  }
  return false;
}

bool make_pair(const PairTable& table, int row, Pair* pair) {
  mpfr_t v, d;
  mpfr_inits2(WORK_BITS, v, d, static_cast<mpfr_ptr>(nullptr));
  table.exact(v, row);
  const RowRule* rule = find_exception(table.exceptions, row);
  bool ok = make_hi(rule == nullptr ? table.plain_hi : rule->hi, v, &pair->hi);
  if (ok) {
    // Exact: hi is a double close to v, inside v's precision.
    ok = mpfr_sub_d(d, v, pair->hi, MPFR_RNDN) == 0 && make_lo(rule, d, &pair->lo);
  }
  mpfr_clears(v, d, static_cast<mpfr_ptr>(nullptr));
  if (!ok) std::fprintf(stderr, "%s: the rule of row %d does not apply\n", table.file, row);
  return ok;
}

// ---------------------------------------------------------------- writing

std::string shortest_decimal(double x) {
  char text[64];
  const auto result = std::to_chars(text, text + sizeof text, x);
  return std::string(text, result.ptr);
}

std::string hex64(std::uint64_t bits) {
  char text[32];
  std::snprintf(text, sizeof text, "0x%016llX", static_cast<unsigned long long>(bits));
  return text;
}

void append_double_row(std::string* out, double x, int row, const char* note) {
  *out += "    double_from_bits(" + hex64(to_bits(x)) + "),  // " + std::to_string(row) + ": " + shortest_decimal(x);
  if (note != nullptr) *out += "  (" + std::string(note) + ")";
  *out += "\n";
}

const char* const GENERATED_LINE = "// Generated by korvel_table_generator from the rule below, with MPFR. Do not edit.\n";

bool write_file(const std::string& folder, const char* name, const std::string& text) {
  const std::string path = folder + "/" + name;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    std::perror(path.c_str());
    return false;
  }
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  const bool closed = std::fclose(file) == 0;
  if (!written || !closed) std::fprintf(stderr, "%s: write failed\n", path.c_str());
  return written && closed;
}

const char* note_for(const RowRule* rule, bool hi_side) {
  if (rule == nullptr) return nullptr;
  const bool names_hi = rule->note[0] == 'h';
  return names_hi == hi_side ? rule->note : nullptr;
}

bool write_pair_table(const std::string& folder, const PairTable& table) {
  std::string hi_rows, lo_rows;
  for (int row = 0; row < table.rows; ++row) {
    Pair pair;
    if (!make_pair(table, row, &pair)) return false;
    const RowRule* rule = find_exception(table.exceptions, row);
    append_double_row(&hi_rows, pair.hi, row, note_for(rule, true));
    append_double_row(&lo_rows, pair.lo, row, note_for(rule, false));
  }
  const std::string size = std::to_string(table.rows);
  std::string text = GENERATED_LINE;
  text += table.heading;
  text += "#include \"libm_bits.h\"\n#include \"libm_tables.h\"\n\nextern \"C\" {\n\n";
  text += "constinit const double " + std::string(table.hi_name) + "[" + size + "] = {\n" + hi_rows + "};\n\n";
  text += "constinit const double " + std::string(table.lo_name) + "[" + size + "] = {\n" + lo_rows + "};\n\n";
  text += "}\n";
  return write_file(folder, table.file, text);
}

// The pieces of a private header: one static constexpr array of a pair table's
// hi or lo column, or a derived column.
bool append_private_column(std::string* out, const PairTable& table, const char* name, int column) {
  *out += "static constexpr double " + std::string(name) + "[" + std::to_string(table.rows) + "] = {\n";
  for (int row = 0; row < table.rows; ++row) {
    Pair pair;
    if (!make_pair(table, row, &pair)) return false;
    const RowRule* rule = find_exception(table.exceptions, row);
    switch (column) {
      case 0: append_double_row(out, pair.hi, row, note_for(rule, true)); break;
      case 1: append_double_row(out, pair.lo, row, note_for(rule, false)); break;
      default: append_double_row(out, 2.0 * pair.hi, row, nullptr); break;  // exact: exponent + 1
    }
  }
  *out += "};\n";
  return true;
}

// 2/pi and pi/2 as integers of their leading bits, truncated.
void scaled_integer(mpz_t out, bool two_over_pi, unsigned long bits) {
  mpfr_t v;
  mpfr_init2(v, static_cast<mpfr_prec_t>(bits + 64));
  mpfr_const_pi(v, MPFR_RNDN);
  if (two_over_pi) mpfr_ui_div(v, 2, v, MPFR_RNDN);
  else mpfr_div_2ui(v, v, 1, MPFR_RNDN);
  mpfr_mul_2ui(v, v, bits, MPFR_RNDN);
  mpfr_get_z(out, v, MPFR_RNDZ);
  mpfr_clear(v);
}

unsigned long chunk_24(const mpz_t whole, unsigned long shift) {
  mpz_t part;
  mpz_init(part);
  mpz_fdiv_q_2exp(part, whole, shift);
  const unsigned long chunk = mpz_fdiv_ui(part, 1ul << 24);
  mpz_clear(part);
  return chunk;
}

bool write_ipio2(const std::string& folder) {
  constexpr int ENTRIES = 66;
  mpz_t bits;
  mpz_init(bits);
  scaled_integer(bits, true, 24 * ENTRIES);  // floor(2/pi * 2^1584)
  std::string text = GENERATED_LINE;
  text +=
      "// 2/pi in 24-bit chunks: entry j holds bits 24j+1 ... 24j+24 after the binary point,\n"
      "// so 2/pi = sum of entry[j] * 2^(-24(j+1)) to 1584 bits (truncated, not rounded).\n"
      "#include \"libm_tables.h\"\n\nextern \"C\" {\n\n"
      "constinit const int __libm_TBL_ipio2_inf[66] = {\n";
  for (int j = 0; j < ENTRIES; ++j) {
    const unsigned long chunk = chunk_24(bits, 24ul * static_cast<unsigned long>(ENTRIES - 1 - j));
    char line[64];
    std::snprintf(line, sizeof line, "    0x%06lX,  // %d: %lu\n", chunk, j, chunk);
    text += line;
  }
  text += "};\n\n}\n";
  mpz_clear(bits);
  return write_file(folder, "_TBL_ipio2.cpp", text);
}

bool write_pio2_inf(const std::string& folder) {
  constexpr int CHUNKS = 8;
  mpz_t bits;
  mpz_init(bits);
  scaled_integer(bits, false, 24 * CHUNKS - 1);  // floor(pi/2 * 2^191): weights 2^0 ... 2^-191
  std::string text = GENERATED_LINE;
  text +=
      "// pi/2 in 24-bit chunks: entry k holds the bits of pi/2 of weights 2^(-24k) down to\n"
      "// 2^(-24k-23), so every product with a 24-bit integer is exact; the eight sum to\n"
      "// pi/2 within 2^-190. Private to the multi-precision reduction.\n"
      "#pragma once\n\n#include \"libm_bits.h\"\n\n"
      "static constexpr double pio2_inf[8] = {\n";
  for (int k = 0; k < CHUNKS; ++k) {
    const int weight = 24 * k + 23;  // chunk as an integer times 2^-weight
    const unsigned long chunk = chunk_24(bits, 24ul * static_cast<unsigned long>(CHUNKS - 1 - k));
    mpfr_t value;
    mpfr_init2(value, 64);
    mpfr_set_ui_2exp(value, chunk, -weight, MPFR_RNDN);  // exact: 24 bits
    append_double_row(&text, mpfr_get_d(value, MPFR_RNDN), k, nullptr);
    mpfr_clear(value);
  }
  text += "};\n";
  mpz_clear(bits);
  return write_file(folder, "pio2_inf.h", text);
}

constexpr PairTable SIN_TABLE = {
    "_TBL_sin.cpp", "__libm_TBL_sin_hi", "__libm_TBL_sin_lo", 75, exact_sin, HiRule::nearest, SIN_EXCEPTIONS,
    "// sin(x_i) at the breakpoints x_i with high word 0x3FC40000 + i*0x8000, low word 0\n"
    "// (0.15625 ... 0.78125). hi: sin(x_i) to nearest; lo: sin(x_i) - hi to nearest.\n"};
constexpr PairTable COS_TABLE = {
    "_TBL_cos.cpp", "__libm_TBL_cos_hi", "__libm_TBL_cos_lo", 75, exact_cos, HiRule::nearest, COS_EXCEPTIONS,
    "// cos(x_i) at the breakpoints x_i with high word 0x3FC40000 + i*0x8000, low word 0\n"
    "// (0.15625 ... 0.78125). hi: cos(x_i) to nearest; lo: cos(x_i) - hi to nearest.\n"};
constexpr PairTable TAN_TABLE = {
    "_TBL_tan.cpp", "__libm_TBL_tan_hi", "__libm_TBL_tan_lo", 75, exact_tan, HiRule::nearest, TAN_EXCEPTIONS,
    "// tan(x_i) at the breakpoints x_i with high word 0x3FC40000 + i*0x8000, low word 0\n"
    "// (0.15625 ... 0.78125). hi: tan(x_i) to nearest; lo: tan(x_i) - hi to nearest.\n"};
constexpr PairTable ATAN_TABLE = {
    "_TBL_atan.cpp", "__libm_TBL_atan_hi", "__libm_TBL_atan_lo", 97, exact_atan, HiRule::nearest, ATAN_EXCEPTIONS,
    "// atan(y_k) at the reduction points y_k with high word 0x3FC00000 + (k << 16), low word 0\n"
    "// (0.125 ... 8.0). hi: atan(y_k) to nearest; lo: atan(y_k) - hi to nearest.\n"};
constexpr PairTable LOG_TABLE = {
    "_TBL_log.cpp", "__libm_TBL_log_hi", "__libm_TBL_log_lo", 256, exact_log, HiRule::nearest, LOG_EXCEPTIONS,
    "// ln(y_k) at the points y_k with high word 0x3FB80000 + k*0x8000, low word 0\n"
    "// (0.09375 ... 23.5). hi: ln(y_k) to nearest; lo: ln(y_k) - hi to nearest.\n"};
constexpr PairTable LOG2_TABLE = {
    "_TBL_log2.cpp", "__libm_TBL_log2_hi", "__libm_TBL_log2_lo", 128, exact_log2, HiRule::nearest_high_word, {},
    "// log2(1 + j/128). hi: log2(1 + j/128) to nearest, then cut to its high word (low word 0,\n"
    "// so n + hi is exact for every exponent n); lo: log2(1 + j/128) - hi to nearest.\n"};
constexpr PairTable EXP2_TABLE = {
    "_TBL_exp2.cpp", "__libm_TBL_exp2_hi", "__libm_TBL_exp2_lo", 64, exact_exp2_64, HiRule::nearest, EXP2_EXCEPTIONS,
    "// 2^(j/64). hi: 2^(j/64) to nearest; lo: 2^(j/64) - hi to nearest.\n"};
constexpr PairTable EXP_TABLE = {
    "exp_tables.h", nullptr, nullptr, 32, exact_exp2_32, HiRule::nearest, EXP_EXCEPTIONS, nullptr};
constexpr PairTable LOG32_TABLE = {
    "log_tables.h", nullptr, nullptr, 32, exact_log_1p32, HiRule::nearest, {}, nullptr};

bool write_exp_tables(const std::string& folder) {
  std::string text = GENERATED_LINE;
  text +=
      "// Powers 2^(j/32), private to exp. exp_tbl_hi: 2^(j/32) to nearest; exp_tbl_lo:\n"
      "// 2^(j/32) - exp_tbl_hi to nearest; exp_tbl_2hi: exactly 2 * exp_tbl_hi.\n"
      "#pragma once\n\n#include \"libm_bits.h\"\n\n";
  if (!append_private_column(&text, EXP_TABLE, "exp_tbl_hi", 0)) return false;
  text += "\n";
  if (!append_private_column(&text, EXP_TABLE, "exp_tbl_lo", 1)) return false;
  text += "\n";
  if (!append_private_column(&text, EXP_TABLE, "exp_tbl_2hi", 2)) return false;
  return write_file(folder, EXP_TABLE.file, text);
}

bool write_log_tables(const std::string& folder) {
  std::string text = GENERATED_LINE;
  text +=
      "// ln(1 + j/32) to nearest, private to log.\n"
      "#pragma once\n\n#include \"libm_bits.h\"\n\n";
  if (!append_private_column(&text, LOG32_TABLE, "log_tbl32", 0)) return false;
  return write_file(folder, LOG32_TABLE.file, text);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
    return 2;
  }
  const std::string folder = argv[1];
  const PairTable* const exported[] = {&SIN_TABLE, &COS_TABLE, &TAN_TABLE, &ATAN_TABLE,
                                       &LOG_TABLE, &LOG2_TABLE, &EXP2_TABLE};
  bool ok = write_ipio2(folder) && write_pio2_inf(folder);
  for (const PairTable* table : exported) ok = ok && write_pair_table(folder, *table);
  ok = ok && write_exp_tables(folder) && write_log_tables(folder);
  mpfr_free_cache();
  return ok ? 0 : 1;
}
