#include "host_test_support.h"

#include <cstdlib>

void resetProperties() {
  free(m_pProps);
  m_pProps = nullptr;
  m_iNumProps = 0;
  m_iMaxProps = 0;
}

JDK1_1InitArgs hostRecord() {
  JDK1_1InitArgs record{};
  record.version = kJniVersion1_1;
  jdk11GetDefaultJavaVMInitArgs(&record);
  record.classpath = nullptr;
  record.verifyMode = 2;
  return record;
}

std::vector<std::string> propertyEntries() {
  std::vector<std::string> entries;
  for (int i = 0; i < m_iNumProps; i++) entries.emplace_back(m_pProps[i]);
  return entries;
}
