// parseOptions and atoml: the option language, its quirks and the mended faults.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "host_test_support.h"

namespace {

using Props = std::optional<std::vector<std::string>>;

struct ParseCase {
  const char *line;  // null: no options line
  const char *oldClassPath;
  int result;
  void (*change)(JDK1_1InitArgs &);  // the record fields the line is expected to write
  const char *classpath;             // expected class path, null for none
  Props properties;                  // expected handed-over list, nullopt when not handed over
  const char *stderrText;
};

void none(JDK1_1InitArgs &) {}
void verbose(JDK1_1InitArgs &r) { r.verbose = 1; }
void max64m(JDK1_1InitArgs &r) { r.maxHeapSize = 67108864; }
void maxSaturated(JDK1_1InitArgs &r) { r.maxHeapSize = 2147483647; }
void min64m(JDK1_1InitArgs &r) { r.minHeapSize = 67108864; }
void javaStack2m(JDK1_1InitArgs &r) { r.javaStackSize = 2097152; }
void nativeStack2m(JDK1_1InitArgs &r) { r.nativeStackSize = 2097152; }
void switches(JDK1_1InitArgs &r) {
  r.disableAsyncGC = 1;
  r.enableClassGC = 0;
  r.enableVerboseGC = 1;
  r.verbose = 1;
}
void verifyNone(JDK1_1InitArgs &r) { r.verifyMode = 0; }
void verifyRemote(JDK1_1InitArgs &r) { r.verifyMode = 1; }
void verifyThenRemoteThenAll(JDK1_1InitArgs &r) { r.verifyMode = 2; }
void max1000(JDK1_1InitArgs &r) { r.maxHeapSize = 1000; }

const ParseCase kParseCases[] = {
    {nullptr, nullptr, 0, none, nullptr, std::nullopt, ""},
    {"- -  -", "/c", 0, none, "/c", std::nullopt, ""},
    {"verbose", nullptr, 0, verbose, nullptr, std::nullopt, ""},
    {"-verbose", nullptr, 0, verbose, nullptr, std::nullopt, ""},
    {"--verbose", nullptr, 0, verbose, nullptr, std::nullopt, ""},
    {"-v", nullptr, 0, verbose, nullptr, std::nullopt, ""},
    {"-noasyncgc -noclassgc -verbosegc -verbose", nullptr, 0, switches, nullptr, std::nullopt, ""},
    {"-noverify", nullptr, 0, verifyNone, nullptr, std::nullopt, ""},
    {"-verifyremote", nullptr, 0, verifyRemote, nullptr, std::nullopt, ""},
    {"-noverify -verifyremote -verify", nullptr, 0, verifyThenRemoteThenAll, nullptr, std::nullopt, ""},
    // "-Dx=a-b": the hyphen cuts the value; "b" is illegal and the property is lost.
    {"-Dx=a-b", nullptr, -1, none, nullptr, std::nullopt, "javakorvel process: Illegal option: -b\n"},
    {"-mx 64m", nullptr, 0, max64m, nullptr, std::nullopt, ""},
    {"-mx64m", nullptr, 0, max64m, nullptr, std::nullopt, ""},
    {"-mx 999", nullptr, 0, none, nullptr, std::nullopt, ""},
    {"-mx1000", nullptr, 0, max1000, nullptr, std::nullopt, ""},
    {"-mx64mb", nullptr, 0, none, nullptr, std::nullopt, ""},
    {"-mxfoo", nullptr, 0, none, nullptr, std::nullopt, ""},
    {"-mx -verbose", nullptr, 0, none, nullptr, std::nullopt, ""},
    {"-mx4294967296", nullptr, 0, maxSaturated, nullptr, std::nullopt, ""},
    {"-mx4096m", nullptr, 0, maxSaturated, nullptr, std::nullopt, ""},
    {"-oss2m", nullptr, 0, javaStack2m, nullptr, std::nullopt, ""},
    {"-ss2m", nullptr, 0, nativeStack2m, nullptr, std::nullopt, ""},
    {"-ms\t64m", nullptr, 0, min64m, nullptr, std::nullopt, ""},
    {"-verbose\t", nullptr, -1, none, nullptr, std::nullopt, "javakorvel process: Illegal option: -verbose\t\n"},
    // A size option as the last token is ignored and parsing ends normally.
    {"-Da=1 -mx", nullptr, 0, none, nullptr, Props{{"a=1"}}, ""},
    {"-verbose -oss", nullptr, 0, verbose, nullptr, std::nullopt, ""},
    {"-D", nullptr, 0, none, nullptr, Props{{""}}, ""},
    {"-Dfoo", nullptr, 0, none, nullptr, Props{{"foo"}}, ""},
    {"-cp /a -cp /b", "/c", 0, none, "/b;/a;/c", std::nullopt, ""},
    {"-classpath /x -cp /y", nullptr, 0, none, "/y;/x", std::nullopt, ""},
    // "cp" with no old class path: the token alone.
    {"-cp /y", nullptr, 0, none, "/y", std::nullopt, ""},
    {"-classpath", "/c", -1, none, "/c", std::nullopt, ""},
    {"-cp", "/c", -1, none, "/c", std::nullopt, ""},
    {"-Djava.compiler=none -nojit", nullptr, 0, none, nullptr, Props{std::vector<std::string>{}}, ""},
    // The user's own "java" property survives "nojit".
    {"-Djava=1 -nojit", nullptr, 0, none, nullptr, Props{{"java=1"}}, ""},
    {"-D -nojit", nullptr, 0, none, nullptr, Props{{""}}, ""},
    {"-Djava.compiler -Djava.compilerX=2 -nojit", nullptr, 0, none, nullptr, Props{{"java.compilerX=2"}}, ""},
    {"-verbose -help -Da=b", nullptr, -1, verbose, nullptr, std::nullopt, ""},
    {"-?", nullptr, -1, none, nullptr, std::nullopt, ""},
    {"-h", nullptr, -1, none, nullptr, std::nullopt, ""},
    {"-x", nullptr, -1, none, nullptr, std::nullopt, "javakorvel process: Illegal option: -x\n"},
    {"-Da=1 -x -verbose", nullptr, -1, none, nullptr, std::nullopt, "javakorvel process: Illegal option: -x\n"},
    {"-Da=1 -Db=2", nullptr, 0, none, nullptr, Props{{"a=1", "b=2"}}, ""},
    {"-Db=2 -Db=3", nullptr, 0, none, nullptr, Props{{"b=2", "b=3"}}, ""},
};

void PrintTo(const ParseCase &c, std::ostream *os) { *os << '"' << (c.line ? c.line : "(null)") << '"'; }

// Records what the parser allocates so the test can release joined class paths,
// which the host keeps for the life of the process.
std::vector<void *> m_recordedAllocations;
void *recordingAllocate(size_t size) {
  void *block = malloc(size);
  m_recordedAllocations.push_back(block);
  return block;
}

class ParseTable : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseTable, WritesTheRecord) {
  const ParseCase &c = GetParam();
  resetProperties();
  JDK1_1InitArgs record = hostRecord();
  std::string oldClassPath = c.oldClassPath != nullptr ? c.oldClassPath : "";
  record.classpath = c.oldClassPath != nullptr ? oldClassPath.data() : nullptr;
  JDK1_1InitArgs expected = record;
  c.change(expected);
  char *line = c.line != nullptr ? strdup(c.line) : nullptr;

  m_recordedAllocations.clear();
  m_pfnAllocate = recordingAllocate;
  ::testing::internal::CaptureStderr();
  int result = parseOptions(line, &record);
  std::string written = ::testing::internal::GetCapturedStderr();
  m_pfnAllocate = malloc;

  EXPECT_EQ(result, c.result);
  EXPECT_EQ(written, c.stderrText);
  if (c.classpath == nullptr) {
    EXPECT_EQ(record.classpath, nullptr);
  } else {
    ASSERT_NE(record.classpath, nullptr);
    EXPECT_STREQ(record.classpath, c.classpath);
  }
  if (!c.properties.has_value()) {
    EXPECT_EQ(record.properties, nullptr);
  } else {
    ASSERT_NE(record.properties, nullptr);
    std::vector<std::string> got;
    for (char **p = record.properties; *p != nullptr; p++) got.emplace_back(*p);
    EXPECT_EQ(got, *c.properties);
  }
  EXPECT_EQ(record.nativeStackSize, expected.nativeStackSize);
  EXPECT_EQ(record.javaStackSize, expected.javaStackSize);
  EXPECT_EQ(record.minHeapSize, expected.minHeapSize);
  EXPECT_EQ(record.maxHeapSize, expected.maxHeapSize);
  EXPECT_EQ(record.verifyMode, expected.verifyMode);
  EXPECT_EQ(record.enableClassGC, expected.enableClassGC);
  EXPECT_EQ(record.enableVerboseGC, expected.enableVerboseGC);
  EXPECT_EQ(record.disableAsyncGC, expected.disableAsyncGC);
  EXPECT_EQ(record.verbose, expected.verbose);
  EXPECT_EQ(record.checkSource, expected.checkSource);
  EXPECT_EQ(record.debugging, expected.debugging);
  // Without properties every allocation was a class path.
  if (m_pProps == nullptr) {
    for (void *block : m_recordedAllocations) free(block);
  }
  free(line);
  resetProperties();
}

INSTANTIATE_TEST_SUITE_P(Parser, ParseTable, ::testing::ValuesIn(kParseCases));

struct AtomlCase {
  const char *text;
  int expected;
};

void PrintTo(const AtomlCase &c, std::ostream *os) { *os << '"' << c.text << '"'; }

class AtomlTable : public ::testing::TestWithParam<AtomlCase> {};

TEST_P(AtomlTable, ReadsTheCount) { EXPECT_EQ(atoml(GetParam().text), GetParam().expected) << GetParam().text; }

INSTANTIATE_TEST_SUITE_P(
    Atoml, AtomlTable,
    ::testing::Values(AtomlCase{"65536", 65536}, AtomlCase{"64k", 65536}, AtomlCase{"64K", 65536},
                      AtomlCase{"16M", 16777216}, AtomlCase{"16m", 16777216}, AtomlCase{"16MB", -1},
                      AtomlCase{"1.5m", -1}, AtomlCase{"k", 0}, AtomlCase{"", 0}, AtomlCase{"abc", -1},
                      AtomlCase{"\t64m", 67108864}, AtomlCase{" 12", 12}, AtomlCase{"+5k", 5120},
                      AtomlCase{"2147483647", 2147483647}, AtomlCase{"2147483648", 2147483647},
                      AtomlCase{"4294967296", 2147483647}, AtomlCase{"99999999999999999999", 2147483647},
                      AtomlCase{"-2147483649", -2147483647 - 1}, AtomlCase{"2047m", 2146435072},
                      AtomlCase{"2048m", 2147483647}, AtomlCase{"4096m", 2147483647},
                      AtomlCase{"3000m", 2147483647}, AtomlCase{"2097152k", 2147483647},
                      AtomlCase{"4294967296k", 2147483647}, AtomlCase{"-3000m", -2147483647 - 1},
                      AtomlCase{"12x", -1}, AtomlCase{"12k ", -1}));

// Allocations are made to fail from the n-th one on.
int m_iAllocationsLeft = 0;
void *countedAllocate(size_t size) {
  if (m_iAllocationsLeft <= 0) return nullptr;
  m_iAllocationsLeft--;
  return malloc(size);
}

struct AllocationCase {
  const char *line;
  int allocationsAllowed;
};

void PrintTo(const AllocationCase &c, std::ostream *os) { *os << '"' << c.line << '"'; }

class AllocationFailure : public ::testing::TestWithParam<AllocationCase> {};

TEST_P(AllocationFailure, StopsWithMinusOne) {
  resetProperties();
  JDK1_1InitArgs record = hostRecord();
  char oldPath[] = "/c";
  record.classpath = oldPath;
  char *line = strdup(GetParam().line);
  m_iAllocationsLeft = GetParam().allocationsAllowed;
  m_pfnAllocate = countedAllocate;
  int result = parseOptions(line, &record);
  m_pfnAllocate = malloc;
  EXPECT_EQ(result, -1);
  EXPECT_EQ(record.properties, nullptr);
  EXPECT_LE(m_iNumProps, m_iMaxProps);
  if (strstr(GetParam().line, "cp") != nullptr) {
    EXPECT_EQ(record.classpath, nullptr);
  }
  free(record.classpath == oldPath ? nullptr : record.classpath);
  free(line);
  resetProperties();
}

INSTANTIATE_TEST_SUITE_P(Parser, AllocationFailure,
                         ::testing::Values(AllocationCase{"-Da=1", 0},         // first slots
                                           AllocationCase{"-Da -Db -Dc -Dd -De", 1},  // growth to 8
                                           AllocationCase{"-Da -Db -Dc -Dd", 1},      // hand-over at full
                                           AllocationCase{"-cp /x", 0}));

}  // namespace
