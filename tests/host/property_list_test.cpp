// The system property list: growth, hand-over and deletion.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host_test_support.h"

namespace {

char kA[] = "a=1", kB[] = "b=2", kC[] = "c=3", kD[] = "d=4", kE[] = "e=5";

TEST(PropertyList, GrowsFourEightSixteen) {
  resetProperties();
  std::vector<std::string> names;
  std::vector<std::string> storage(17);
  for (int i = 0; i < 17; i++) {
    storage[i] = "p" + std::to_string(i);
    ASSERT_EQ(addProperty(storage[i].data()), 0);
    int expectedMax = i < 4 ? 4 : i < 8 ? 8 : i < 16 ? 16 : 32;
    EXPECT_EQ(m_iMaxProps, expectedMax) << i;
    EXPECT_EQ(m_iNumProps, i + 1);
    names.push_back(storage[i]);
  }
  EXPECT_EQ(propertyEntries(), names);
  resetProperties();
}

TEST(PropertyList, HandOverAtExactlyFullAddsOneSlotOnly) {
  resetProperties();
  JDK1_1InitArgs record = hostRecord();
  char line[] = "-Da=1 -Db=2 -Dc=3 -Dd=4";
  ASSERT_EQ(parseOptions(line, &record), 0);
  EXPECT_EQ(m_iNumProps, 4);
  EXPECT_EQ(m_iMaxProps, 4);
  ASSERT_EQ(record.properties, m_pProps);
  EXPECT_EQ(record.properties[4], nullptr);
  EXPECT_STREQ(record.properties[3], "d=4");
  resetProperties();
}

TEST(PropertyList, FifthEntryGrowsToEightKeepingOrder) {
  resetProperties();
  JDK1_1InitArgs record = hostRecord();
  char line[] = "-Da=1 -Db=2 -Dc=3 -Dd=4 -De=5";
  ASSERT_EQ(parseOptions(line, &record), 0);
  EXPECT_EQ(m_iMaxProps, 8);
  EXPECT_EQ(propertyEntries(), (std::vector<std::string>{"a=1", "b=2", "c=3", "d=4", "e=5"}));
  EXPECT_EQ(record.properties[5], nullptr);
  resetProperties();
}

TEST(PropertyList, DeleteRemovesAdjacentAndScatteredMatches) {
  resetProperties();
  char x[] = "java.compiler=x", none[] = "java.compiler=none", bare[] = "java.compiler";
  addProperty(x);
  addProperty(bare);
  addProperty(kA);
  addProperty(none);
  deleteProperty("java.compiler");
  EXPECT_EQ(propertyEntries(), std::vector<std::string>{"a=1"});
  resetProperties();
}

TEST(PropertyList, DeleteMatchesWholeKeyOnly) {
  resetProperties();
  char java[] = "java=1", longer[] = "java.compilerX=2", empty[] = "", eqOnly[] = "=v";
  addProperty(java);
  addProperty(longer);
  addProperty(empty);
  addProperty(eqOnly);
  deleteProperty("java.compiler");
  EXPECT_EQ(propertyEntries(), (std::vector<std::string>{"java=1", "java.compilerX=2", "", "=v"}));
  resetProperties();
}

TEST(PropertyList, DeleteLastEntryOnlyLowersCount) {
  resetProperties();
  char last[] = "java.compiler=none";
  addProperty(kA);
  addProperty(kB);
  addProperty(last);
  char **before = m_pProps;
  deleteProperty("java.compiler");
  EXPECT_EQ(m_iNumProps, 2);
  EXPECT_EQ(m_iMaxProps, 4);
  EXPECT_EQ(m_pProps, before);
  EXPECT_EQ(propertyEntries(), (std::vector<std::string>{"a=1", "b=2"}));
  resetProperties();
}

TEST(PropertyList, DeleteOnUnallocatedListDoesNothing) {
  resetProperties();
  deleteProperty("java.compiler");
  EXPECT_EQ(m_pProps, nullptr);
  EXPECT_EQ(m_iNumProps, 0);
}

TEST(PropertyList, GrowthFailureKeepsTheList) {
  resetProperties();
  addProperty(kA);
  addProperty(kB);
  addProperty(kC);
  addProperty(kD);
  m_pfnAllocate = [](size_t) -> void * { return nullptr; };
  EXPECT_EQ(addProperty(kE), -1);
  m_pfnAllocate = malloc;
  EXPECT_EQ(m_iMaxProps, 4);
  EXPECT_EQ(propertyEntries(), (std::vector<std::string>{"a=1", "b=2", "c=3", "d=4"}));
  resetProperties();
}

}  // namespace
