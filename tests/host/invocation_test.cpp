// The JDK 1.1 invocation layer: defaults and the VM options a record becomes.
#include <gtest/gtest.h>

#include <string>

#include "host_test_support.h"

namespace {

std::string describe(const JDK1_1InitArgs &record) {
  char text[4096];
  EXPECT_GE(jdk11DescribeOptions(&record, text, sizeof text), 0);
  return text;
}

JDK1_1InitArgs defaults() {
  JDK1_1InitArgs record{};
  record.version = kJniVersion1_1;
  EXPECT_EQ(jdk11GetDefaultJavaVMInitArgs(&record), 0);
  return record;
}

TEST(Invocation, RefusesOtherVersions) {
  JDK1_1InitArgs record{};
  record.version = 0x00010002;
  EXPECT_EQ(jdk11GetDefaultJavaVMInitArgs(&record), JNI_EVERSION);
}

TEST(Invocation, UntouchedDefaultsPassOnlyTheAbortHook) {
  JDK1_1InitArgs record = defaults();
  // Values no option produces: the VM's own choice.
  EXPECT_EQ(record.nativeStackSize, 0);
  EXPECT_EQ(record.javaStackSize, 0);
  EXPECT_EQ(record.minHeapSize, 0);
  EXPECT_EQ(record.maxHeapSize, 0);
  EXPECT_EQ(record.classpath, nullptr);
  EXPECT_EQ(record.verifyMode, 1);
  EXPECT_EQ(describe(record), "abort");
}

struct TranslationCase {
  void (*change)(JDK1_1InitArgs &);
  const char *options;
};

char kProps0[] = "a=1";
char kProps1[] = "flag";
char *kProps[] = {kProps0, kProps1, nullptr};
char kPath[] = "/b;/a;/c";
char kDot[] = ".";
char kEmptyElements[] = ";;/a;;/b:;";
char kTrailingEmpty[] = "/x;";
char kLeadingEmpty[] = ":/x";
char kEmpty[] = "";
char kOnlySeparators[] = ";:;";

const TranslationCase kTranslations[] = {
    {[](JDK1_1InitArgs &r) { r.properties = kProps; }, "-Da=1\n-Dflag\nabort"},
    {[](JDK1_1InitArgs &r) { r.classpath = kPath; }, "-Djava.class.path=/b:/a:/c\nabort"},
    {[](JDK1_1InitArgs &r) { r.classpath = nullptr; }, "abort"},
    {[](JDK1_1InitArgs &r) { r.classpath = kDot; }, "-Djava.class.path=.\nabort"},
    // Empty elements would be the current directory to the VM.
    {[](JDK1_1InitArgs &r) { r.classpath = kEmptyElements; }, "-Djava.class.path=/a:/b\nabort"},
    {[](JDK1_1InitArgs &r) { r.classpath = kTrailingEmpty; }, "-Djava.class.path=/x\nabort"},
    {[](JDK1_1InitArgs &r) { r.classpath = kLeadingEmpty; }, "-Djava.class.path=/x\nabort"},
    {[](JDK1_1InitArgs &r) { r.classpath = kEmpty; }, "-Djava.class.path=/dev/null\nabort"},
    {[](JDK1_1InitArgs &r) { r.classpath = kOnlySeparators; }, "-Djava.class.path=/dev/null\nabort"},
    // Sizes equal to what the VM might pick itself are passed on all the same.
    {[](JDK1_1InitArgs &r) { r.maxHeapSize = 2147483647; }, "-Xmx2147483647\nabort"},
    {[](JDK1_1InitArgs &r) { r.minHeapSize = 2147483647; }, "-Xms2147483647\nabort"},
    {[](JDK1_1InitArgs &r) {
       r.nativeStackSize = 1048576;
       r.javaStackSize = 524288;
     },
     "-Xss1048576\nabort"},
    {[](JDK1_1InitArgs &r) {
       r.javaStackSize = 1048576;
       r.nativeStackSize = 524288;
     },
     "-Xss1048576\nabort"},
    {[](JDK1_1InitArgs &r) { r.javaStackSize = 2097152; }, "-Xss2097152\nabort"},
    {[](JDK1_1InitArgs &r) {
       r.javaStackSize = 2097152;
       r.nativeStackSize = 4194304;
     },
     "-Xss4194304\nabort"},
    {[](JDK1_1InitArgs &r) {
       r.minHeapSize = 8388608;
       r.maxHeapSize = 67108864;
     },
     "-Xms8388608\n-Xmx67108864\nabort"},
    {[](JDK1_1InitArgs &r) { r.verifyMode = 2; }, "-Xverify:all\nabort"},
    {[](JDK1_1InitArgs &r) { r.verifyMode = 0; },
     "-XX:+UnlockDiagnosticVMOptions\n-XX:-BytecodeVerificationRemote\n-XX:-BytecodeVerificationLocal\nabort"},
    {[](JDK1_1InitArgs &r) { r.enableClassGC = 0; }, "-Xnoclassgc\nabort"},
    {[](JDK1_1InitArgs &r) { r.enableVerboseGC = 1; }, "-verbose:gc\nabort"},
    {[](JDK1_1InitArgs &r) { r.verbose = 1; }, "-verbose:class\nabort"},
    {[](JDK1_1InitArgs &r) {
       r.disableAsyncGC = 1;
       r.checkSource = 1;
       r.debugging = JNI_TRUE;
       r.debugPort = 8000;
     },
     "abort"},
    {[](JDK1_1InitArgs &r) { r.exit = [](jint) {}; }, "exit\nabort"},
};

void PrintTo(const TranslationCase &c, std::ostream *os) { *os << '"' << c.options << '"'; }

class Translation : public ::testing::TestWithParam<TranslationCase> {};

TEST_P(Translation, PassesOnlyWhatChanged) {
  JDK1_1InitArgs record = defaults();
  GetParam().change(record);
  EXPECT_EQ(describe(record), GetParam().options);
}

INSTANTIATE_TEST_SUITE_P(Invocation, Translation, ::testing::ValuesIn(kTranslations));

}  // namespace
