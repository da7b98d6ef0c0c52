// libFuzzer target: the option parser and atoml over arbitrary options lines.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <set>

#include "java_vm.h"

namespace {

// Storage the parser holds; the host keeps it until exit, the fuzzer per input.
std::set<void *> m_liveBlocks;

void *trackedAllocate(size_t size) {
  void *block = malloc(size);
  if (block != nullptr) m_liveBlocks.insert(block);
  return block;
}

void trackedRelease(void *block) {
  m_liveBlocks.erase(block);
  free(block);
}

bool inside(const char *pointer, const char *start, size_t length) {
  return pointer >= start && pointer <= start + length;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  char *line = static_cast<char *>(malloc(size + 1));
  if (line == nullptr) return 0;
  memcpy(line, data, size);
  line[size] = '\0';
  size_t length = strlen(line);

  volatile int count = atoml(line);
  (void)count;

  m_pfnAllocate = trackedAllocate;
  m_pfnRelease = trackedRelease;
  JDK1_1InitArgs record{};
  record.version = kJniVersion1_1;
  jdk11GetDefaultJavaVMInitArgs(&record);
  char oldPath[] = "/c";
  record.classpath = (size & 1) != 0 ? oldPath : nullptr;
  int result = parseOptions(line, &record);

  if (result != 0 && result != -1) abort();
  if (m_iNumProps > m_iMaxProps || m_iNumProps < 0) abort();
  for (int i = 0; i < m_iNumProps; i++) {
    if (!inside(m_pProps[i], line, length)) abort();
  }
  if (record.properties != nullptr && record.properties[m_iNumProps] != nullptr) abort();
  if (record.classpath != nullptr && record.classpath != oldPath && !inside(record.classpath, line, length) &&
      m_liveBlocks.count(record.classpath) == 0) {
    abort();
  }
  if (record.maxHeapSize < 1000 && record.maxHeapSize != 0) abort();

  // The VM options of the record: the class path never carries an empty element,
  // which the VM would read as the current folder. A record holding only the
  // class path describes it alone, followed by the abort hook.
  static char described[65536];
  if (jdk11DescribeOptions(&record, described, sizeof described) < 0) abort();
  if (record.classpath != nullptr) {
    JDK1_1InitArgs onlyClassPath{};
    onlyClassPath.version = kJniVersion1_1;
    jdk11GetDefaultJavaVMInitArgs(&onlyClassPath);
    onlyClassPath.classpath = record.classpath;
    if (jdk11DescribeOptions(&onlyClassPath, described, sizeof described) != 2) abort();
    const char *prefix = "-Djava.class.path=";
    const char *suffix = "\nabort";
    size_t describedLength = strlen(described);
    if (strncmp(described, prefix, strlen(prefix)) != 0) abort();
    if (describedLength < strlen(prefix) + strlen(suffix)) abort();
    if (strcmp(described + describedLength - strlen(suffix), suffix) != 0) abort();
    const char *path = described + strlen(prefix);
    size_t pathLength = describedLength - strlen(prefix) - strlen(suffix);
    if (pathLength == 0 || path[0] == ':' || path[pathLength - 1] == ':') abort();
    for (size_t i = 0; i < pathLength; i++) {
      if (path[i] == ';') abort();
      if (i + 1 < pathLength && path[i] == ':' && path[i + 1] == ':') abort();
    }
  }

  for (void *block : m_liveBlocks) free(block);
  m_liveBlocks.clear();
  m_pProps = nullptr;
  m_iNumProps = 0;
  m_iMaxProps = 0;
  m_pfnAllocate = malloc;
  m_pfnRelease = free;
  free(line);
  return 0;
}
