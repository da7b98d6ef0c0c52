// The committed table sources are exactly what the generator writes now, and
// the exported tables stand in java_vm's dynamic symbol table as read-only data.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

const std::set<std::string> GENERATED_FILES = {
    "_TBL_ipio2.cpp", "_TBL_sin.cpp",  "_TBL_cos.cpp",  "_TBL_tan.cpp",  "_TBL_atan.cpp", "_TBL_log.cpp",
    "_TBL_log2.cpp",  "_TBL_exp2.cpp", "exp_tables.h",  "log_tables.h",  "pio2_inf.h"};

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Line number (from 1) of the first difference, for the failure message.
int first_differing_line(const std::string& a, const std::string& b) {
  int line = 1;
  for (std::size_t i = 0; i < a.size() && i < b.size() && a[i] == b[i]; ++i) line += a[i] == '\n';
  return line;
}

TEST(TableGeneration, GeneratorReproducesTheCommittedFilesByteForByte) {
  std::string pattern = (fs::temp_directory_path() / "korvel_tables_XXXXXX").string();
  ASSERT_NE(mkdtemp(pattern.data()), nullptr) << pattern;
  const fs::path folder = pattern;
  const std::string command = std::string("'") + KORVEL_TABLE_GENERATOR + "' '" + folder.string() + "'";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;

  std::set<std::string> written;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) written.insert(entry.path().filename());
  EXPECT_EQ(written, GENERATED_FILES);
  for (const std::string& name : GENERATED_FILES) {
    const std::string fresh = read_file(folder / name);
    const std::string committed = read_file(fs::path(KORVEL_LIBM_SOURCE_DIR) / name);
    EXPECT_FALSE(fresh.empty()) << name;
    EXPECT_TRUE(fresh == committed) << name << " differs from the generator's output at line "
                                    << first_differing_line(fresh, committed);
  }
  fs::remove_all(folder);
}

// nm -D -S lines: "address size type name".
std::map<std::string, std::pair<char, unsigned long>> dynamic_symbols(const char* executable) {
  std::map<std::string, std::pair<char, unsigned long>> symbols;
  const std::string command = std::string("nm -D -S --defined-only '") + executable + "'";
  std::FILE* pipe = popen(command.c_str(), "r");
  EXPECT_NE(pipe, nullptr) << command;
  if (pipe == nullptr) return symbols;
  char line[512];
  while (std::fgets(line, sizeof line, pipe) != nullptr) {
    std::istringstream fields(line);
    std::string address, size, type, name;
    if (fields >> address >> size >> type >> name) symbols[name] = {type[0], std::stoul(size, nullptr, 16)};
  }
  EXPECT_EQ(pclose(pipe), 0) << command;
  return symbols;
}

TEST(TableGeneration, ExportedTablesAreReadOnlyDynamicSymbolsOfTheirSize) {
  const auto symbols = dynamic_symbols(KORVEL_JAVA_VM);
  const std::map<std::string, unsigned long> sizes = {
      {"__libm_TBL_ipio2_inf", 66 * 4}, {"__libm_TBL_sin_hi", 75 * 8},   {"__libm_TBL_sin_lo", 75 * 8},
      {"__libm_TBL_cos_hi", 75 * 8},    {"__libm_TBL_cos_lo", 75 * 8},   {"__libm_TBL_tan_hi", 75 * 8},
      {"__libm_TBL_tan_lo", 75 * 8},    {"__libm_TBL_atan_hi", 97 * 8},  {"__libm_TBL_atan_lo", 97 * 8},
      {"__libm_TBL_log_hi", 256 * 8},   {"__libm_TBL_log_lo", 256 * 8},  {"__libm_TBL_log2_hi", 128 * 8},
      {"__libm_TBL_log2_lo", 128 * 8},  {"__libm_TBL_exp2_hi", 64 * 8},  {"__libm_TBL_exp2_lo", 64 * 8}};
  for (const auto& [name, size] : sizes) {
    const auto found = symbols.find(name);
    ASSERT_NE(found, symbols.end()) << name;
    EXPECT_EQ(found->second.first, 'R') << name;
    EXPECT_EQ(found->second.second, size) << name;
  }
  for (const char* private_table : {"exp_tbl_hi", "exp_tbl_lo", "exp_tbl_2hi", "log_tbl32", "pio2_inf"}) {
    EXPECT_EQ(symbols.count(private_table), 0u) << private_table;
  }
}

}  // namespace
