// One plain C program (math_calls.c) calling sin, exp, pow and fmod: linked
// against libkorvel_math.so.1, and built against the C library's libm and run
// with the shared object in LD_PRELOAD. Its output must be what this test
// computes with the archive's functions: the same bits, errno and matherr calls.
#include <gtest/gtest.h>

#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "korvel_math.h"

namespace {

struct math_call {
  const char* name;  // sin, exp, pow or fmod
  double x;
  double y;  // unused by the unary functions
};

// Each function: arguments where the C library's bits differ from ours, an
// ordinary one, and its errors (domain, overflow, none for sin(inf) in ANSI mode).
const math_call calls[] = {
    {"sin", std::bit_cast<double>(0x3ff2b271ba28fab0ULL), 0},
    {"sin", std::bit_cast<double>(0x3feee7211c37f9acULL), 0},
    {"sin", 0.5, 0},
    {"sin", __builtin_inf(), 0},
    {"exp", std::bit_cast<double>(0xbfd014862c8347a0ULL), 0},
    {"exp", std::bit_cast<double>(0x3fc6fdea22c557c0ULL), 0},
    {"exp", 1000.0, 0},
    {"exp", -1000.0, 0},
    {"pow", std::bit_cast<double>(0x3ffcaa814ae563fcULL), std::bit_cast<double>(0xbffcb7dc84a68ef4ULL)},
    {"pow", std::bit_cast<double>(0x400530b8f14ef54dULL), std::bit_cast<double>(0xc0028fc1a7dc3f06ULL)},
    {"pow", 0.0, -1.0},
    {"pow", 10.0, 400.0},
    {"pow", -1.0, 0.5},
    {"fmod", 5.0, 0.0},
    {"fmod", 1e300, 3.0},
    {"fmod", __builtin_inf(), 1.0},
};

// The policy of math_calls.c's matherr, applied here when `program_matherr` is set;
// otherwise the library's default (report left to the handler).
bool program_matherr = false;
std::string matherr_lines;

}  // namespace

extern "C" int matherr(struct exception* record) {
  if (!program_matherr) return 0;
  matherr_lines += "matherr " + std::to_string(record->type) + " " + record->name + "\n";
  if (record->type == OVERFLOW) {
    record->retval = 42.0;
    return 1;
  }
  return 0;
}

namespace {

std::string hex_word(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(std::bit_cast<std::uint64_t>(value)));
  return text;
}

// What math_calls prints for `calls` when the calls reach our functions.
std::string expected_output(bool with_program_matherr) {
  program_matherr = with_program_matherr;
  std::string out;
  for (const math_call& call : calls) {
    matherr_lines.clear();
    errno = 0;
    double result = 0;
    if (std::strcmp(call.name, "sin") == 0) result = __sin(call.x);
    if (std::strcmp(call.name, "exp") == 0) result = __exp(call.x);
    if (std::strcmp(call.name, "pow") == 0) result = __pow(call.x, call.y);
    if (std::strcmp(call.name, "fmod") == 0) result = __fmod(call.x, call.y);
    const int error = errno;
    out += matherr_lines + call.name + " 0x" + hex_word(result) + " " + std::to_string(error) + "\n";
  }
  program_matherr = false;
  return out;
}

std::string call_arguments() {
  std::string arguments;
  for (const math_call& call : calls) arguments += std::string(" ") + call.name + ":" + hex_word(call.x) + ":" + hex_word(call.y);
  return arguments;
}

// Standard output of `program` run on `arguments` (default: `calls`), with `preload`
// in LD_PRELOAD when not empty; its standard error (SVID messages) is dropped.
bool run(const std::string& program, const std::string& preload, std::string& out,
         const std::string& arguments = call_arguments()) {
  std::string command;
  if (!preload.empty()) command = "LD_PRELOAD='" + preload + "' ";
  command += "'" + program + "'" + arguments + " 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return false;
  char buffer[4096];
  std::size_t length;
  out.clear();
  while ((length = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, length);
  return pclose(pipe) == 0;
}

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(text.substr(start, end - start));
  return lines;
}

TEST(SharedLibrary, ALinkedProgramGetsOurBitsAndItsOwnMatherr) {
  std::string out;
  ASSERT_TRUE(run(MATH_CALLS_SHARED, "", out)) << out;
  EXPECT_EQ(out, expected_output(true));
}

TEST(SharedLibrary, ALinkedProgramChoosesItsOwnMode) {
  // SVID mode: pow(0, -1) is 0 with EDOM (ANSI: -inf), after the program's matherr saw a DOMAIN error.
  std::string out;
  ASSERT_TRUE(run(MATH_CALLS_SHARED_SVID, "", out, " pow:" + hex_word(0.0) + ":" + hex_word(-1.0))) << out;
  EXPECT_EQ(out, "matherr " + std::to_string(DOMAIN) + " pow\npow 0x0000000000000000 " + std::to_string(EDOM) + "\n");
}

TEST(SharedLibrary, TheArgumentsTellOursFromTheCLibrarys) {
  // Without the preload the C library answers: every function's lines differ somewhere.
  std::string out;
  ASSERT_TRUE(run(MATH_CALLS_LIBM, "", out)) << out;
  const std::vector<std::string> platform = lines_of(out);
  const std::vector<std::string> ours = lines_of(expected_output(false));
  ASSERT_EQ(platform.size(), ours.size());
  for (const char* name : {"sin ", "exp ", "pow ", "fmod "}) {
    bool differs = false;
    for (std::size_t i = 0; i < ours.size(); ++i)
      if (ours[i].rfind(name, 0) == 0 && ours[i] != platform[i]) differs = true;
    EXPECT_TRUE(differs) << name << "gives the C library's bits on every argument";
  }
}

TEST(SharedLibrary, PreloadedIntoAPlainProgramOurFunctionsAnswer) {
  // Built against today's C library, the program's matherr is not in its dynamic
  // symbol table: the library's default stands in, and errno is set as in ANSI mode.
  std::string out;
  ASSERT_TRUE(run(MATH_CALLS_LIBM, SHARED_LIBRARY_PATH, out)) << out;
  EXPECT_EQ(out, expected_output(false));
}

TEST(SharedLibrary, PreloadedIntoAProgramExportingMatherrItsMatherrIsCalled) {
  std::string out;
  ASSERT_TRUE(run(MATH_CALLS_LIBM_EXPORTED, SHARED_LIBRARY_PATH, out)) << out;
  EXPECT_EQ(out, expected_output(true));
  ASSERT_TRUE(run(MATH_CALLS_LIBM_EXPORTED, "", out)) << out;
  EXPECT_NE(out, expected_output(true));
  EXPECT_EQ(out.find("matherr"), std::string::npos) << "the C library no longer calls matherr";
}

}  // namespace
