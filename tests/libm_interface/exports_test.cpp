// The dynamic symbol table of the built java_vm (or of libkorvel_math.so.1:
// EXPORTING_BINARY_PATH) against libm/exports.list.
// Generic over the list, so it keeps holding as names are added.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#ifndef EXPORTING_BINARY_PATH
#define EXPORTING_BINARY_PATH JAVA_VM_PATH
#endif

namespace {

struct dynamic_symbol {
  std::string address;
  char type;  // nm's letter: T text, W weak, R read-only data, ...
};

// Names in a linker dynamic list: `name;` entries inside the braces, comments dropped.
std::vector<std::string> read_export_list(const std::string& path) {
  std::ifstream in(path);
  std::stringstream whole;
  whole << in.rdbuf();
  std::string text = whole.str();
  std::string stripped;
  for (std::size_t i = 0; i < text.size();) {
    if (text.compare(i, 2, "/*") == 0) {
      std::size_t end = text.find("*/", i + 2);
      i = end == std::string::npos ? text.size() : end + 2;
    } else {
      stripped += text[i++];
    }
  }
  std::vector<std::string> names;
  std::string current;
  for (char ch : stripped) {
    if (ch == '{' || ch == '}' || ch == ';' || ch == ' ' || ch == '\n' || ch == '\t') {
      if (!current.empty()) names.push_back(current);
      current.clear();
    } else {
      current += ch;
    }
  }
  return names;
}

// Defined dynamic symbols of a file, by name, from `nm -D --defined-only`.
bool read_dynamic_symbols(const std::string& path, std::map<std::string, dynamic_symbol>& symbols) {
  std::string command = "nm -D --defined-only '" + path + "'";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return false;
  char line[1024];
  while (std::fgets(line, sizeof line, pipe) != nullptr) {
    std::istringstream fields(line);
    std::string address, type, name;
    if (!(fields >> address >> type >> name)) continue;
    symbols[name] = {address, type[0]};
  }
  return pclose(pipe) == 0;
}

// Global definitions of an object or archive, from `nm -g --defined-only`.
bool read_global_definitions(const std::string& path, std::map<std::string, dynamic_symbol>& symbols) {
  std::string command = "nm -g --defined-only '" + path + "'";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return false;
  char line[1024];
  while (std::fgets(line, sizeof line, pipe) != nullptr) {
    std::istringstream fields(line);
    std::string address, type, name;
    if (fields >> address >> type >> name) symbols[name] = {address, type[0]};
  }
  return pclose(pipe) == 0;
}

bool is_table_or_mode(const std::string& name) {
  return name.rfind("__libm_TBL_", 0) == 0 || name == "_lib_version";
}

// Symbols the toolchain itself puts in every executable's dynamic table.
const std::set<std::string> toolchain_symbols = {"_IO_stdin_used"};

class Exports : public ::testing::Test {
 protected:
  void SetUp() override {
    names = read_export_list(EXPORTS_LIST_PATH);
    ASSERT_FALSE(names.empty());
    ASSERT_TRUE(read_dynamic_symbols(EXPORTING_BINARY_PATH, symbols));
    listed.insert(names.begin(), names.end());
  }
  std::vector<std::string> names;
  std::set<std::string> listed;
  std::map<std::string, dynamic_symbol> symbols;
};

}  // namespace

TEST_F(Exports, TheListReadsAsNames) {
  EXPECT_EQ(listed.size(), names.size()) << "a name is listed twice";
  for (const char* name : {"_lib_version", "__libm_SVID_libm_err", "__libm_errno", "__matherr", "matherr"}) {
    EXPECT_EQ(listed.count(name), 1u) << name;
  }
  EXPECT_EQ(listed.count("errno"), 0u);
}

TEST_F(Exports, EveryListedNameIsDefinedWithItsBindingAndType) {
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    auto found = symbols.find(name);
    ASSERT_NE(found, symbols.end()) << "not exported";
    const dynamic_symbol& symbol = found->second;
    bool has_strong_twin = name.rfind("__", 0) != 0 && listed.count("__" + name) != 0;
    if (has_strong_twin) {
      EXPECT_EQ(symbol.type, 'W') << "a plain name with a strong __ twin is a weak alias";
      auto strong = symbols.find("__" + name);
      ASSERT_NE(strong, symbols.end());
      EXPECT_EQ(symbol.address, strong->second.address) << "alias at another address";
    } else if (is_table_or_mode(name)) {
      EXPECT_EQ(symbol.type, 'R') << "read-only data expected";
    } else {
      EXPECT_EQ(symbol.type, 'T') << "strong text expected";
    }
  }
}

TEST_F(Exports, NothingElseOfOursIsExported) {
  EXPECT_EQ(symbols.count("errno"), 0u) << "an exported errno captures the C library's references";
  // Whatever the archive defines globally (internal helpers included) stays out unless listed.
  std::map<std::string, dynamic_symbol> archive_symbols;
  ASSERT_TRUE(read_global_definitions(MATH_ARCHIVE_PATH, archive_symbols));
  ASSERT_NE(archive_symbols.count("__libm_SVID_libm_err"), 0u);
  for (const auto& [name, symbol] : archive_symbols) {
    if (listed.count(name) == 0) {
      EXPECT_EQ(symbols.count(name), 0u) << "exported but not listed: " << name;
    }
  }
#ifndef KORVEL_SANITIZED
  // The sanitizer runtime exports its own interface beside ours; without it the table is exactly the list.
  for (const auto& [name, symbol] : symbols) {
    if (listed.count(name) != 0) continue;
    // Versioned names are the C library's data copied into the executable (stdout@GLIBC_2.2.5).
    if (name.find('@') != std::string::npos) continue;
    EXPECT_EQ(toolchain_symbols.count(name), 1u) << "exported but not listed: " << name << " " << symbol.type;
  }
#endif
}
