// The built libkorvel_math.so.1 as a file: its name in the dynamic section, and
// which of its references the dynamic loader resolves.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string command_output(const std::string& command, bool& ok) {
  FILE* pipe = popen(command.c_str(), "r");
  std::string out;
  if (pipe == nullptr) {
    ok = false;
    return out;
  }
  char buffer[4096];
  std::size_t length;
  while ((length = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, length);
  ok = pclose(pipe) == 0;
  return out;
}

// The `name;` entries of a linker list, comments dropped.
std::set<std::string> listed_names(const std::string& path) {
  std::ifstream in(path);
  std::set<std::string> names;
  std::string line;
  bool in_comment = false;
  while (std::getline(in, line)) {
    if (line.find("/*") != std::string::npos) in_comment = true;
    if (in_comment) {
      if (line.find("*/") != std::string::npos) in_comment = false;
      continue;
    }
    std::istringstream words(line);
    std::string word;
    if (words >> word && word.size() > 1 && word.back() == ';' && word[0] != '}') names.insert(word.substr(0, word.size() - 1));
  }
  return names;
}

// Symbol names of the dynamic relocations, version suffixes dropped (`readelf -rW`).
std::vector<std::string> relocated_symbols(const std::string& path, bool& ok) {
  std::istringstream lines(command_output("readelf -rW '" + path + "'", ok));
  std::vector<std::string> names;
  std::string line;
  while (std::getline(lines, line)) {
    // offset info type value name + addend
    std::istringstream fields(line);
    std::string offset, info, type, value, name;
    if (!(fields >> offset >> info >> type >> value >> name) || type.rfind("R_", 0) != 0) continue;
    names.push_back(name.substr(0, name.find('@')));
  }
  return names;
}

TEST(SharedObject, CarriesItsSonameAndNeedsOnlyTheCLibrary) {
  bool ok = false;
  const std::string dynamic = command_output("readelf -dW '" SHARED_LIBRARY_PATH "'", ok);
  ASSERT_TRUE(ok);
  EXPECT_NE(dynamic.find("Library soname: [" SHARED_LIBRARY_SONAME "]"), std::string::npos) << dynamic;
  std::istringstream lines(dynamic);
  for (std::string line; std::getline(lines, line);) {
    if (line.find("(NEEDED)") == std::string::npos) continue;
    // The portable floating-point environment is the C library's libm.
    EXPECT_TRUE(line.find("[libc.so.6]") != std::string::npos || line.find("[libm.so.6]") != std::string::npos)
        << line;
    EXPECT_EQ(line.find("libstdc++"), std::string::npos) << "the C++ runtime is not needed";
  }
  EXPECT_EQ(dynamic.find("(TEXTREL)"), std::string::npos) << "position-independent code has no text relocations";
}

TEST(SharedObject, OnlyMatherrAndTheModeAreResolvedAtRunTime) {
  // Calls and table loads between the library's parts are bound at link time;
  // the loader resolves only the names a program may define for itself.
  const std::set<std::string> exported = listed_names(EXPORTS_LIST_PATH);
  const std::set<std::string> interposable = listed_names(INTERPOSABLE_LIST_PATH);
  ASSERT_EQ(interposable, (std::set<std::string>{"matherr", "_lib_version"}));
  ASSERT_GT(exported.size(), 50u);
  bool ok = false;
  const std::vector<std::string> names = relocated_symbols(SHARED_LIBRARY_PATH, ok);
  ASSERT_TRUE(ok);
  std::set<std::string> ours_relocated;
  for (const std::string& name : names)
    if (exported.count(name) != 0) ours_relocated.insert(name);
  EXPECT_EQ(ours_relocated, interposable);
}

}  // namespace
