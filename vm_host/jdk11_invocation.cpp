#include "jdk11_invocation.h"

#include <unistd.h>

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

// HotSpot's thread stack default on Linux x86-64.
constexpr jint kVmThreadStackSize = 1024 * 1024;

JDK1_1InitArgs m_defaults;
bool m_bHaveDefaults = false;
bool m_bCreating = false;
void (JNICALL *m_pfnUserAbort)(void) = nullptr;
Jdk11CreationAbortHandler m_pfnCreationAbort = nullptr;

jint clampToJint(uint64_t value) {
  return value > static_cast<uint64_t>(INT_MAX) ? INT_MAX : static_cast<jint>(value);
}

// HotSpot's heap ergonomics without a container limit: initial 1/64, maximum 1/4
// of physical memory.
uint64_t physicalMemory() {
  long pages = sysconf(_SC_PHYS_PAGES);
  long pageSize = sysconf(_SC_PAGESIZE);
  if (pages <= 0 || pageSize <= 0) return 0;
  return static_cast<uint64_t>(pages) * static_cast<uint64_t>(pageSize);
}

// The VM calls this on its way out of a failed creation (and on any later abort).
void JNICALL layerAbortHook(void) {
  if (m_pfnUserAbort != nullptr) m_pfnUserAbort();
  if (m_bCreating && m_pfnCreationAbort != nullptr) m_pfnCreationAbort();
}

struct OptionList {
  JavaVMOption *options;
  int count;
  int capacity;
};

bool appendOption(OptionList *list, char *text, void *extraInfo) {
  if (text == nullptr) return false;
  if (list->count == list->capacity) {
    int capacity = list->capacity == 0 ? 16 : list->capacity * 2;
    void *grown = realloc(list->options, sizeof(JavaVMOption) * static_cast<size_t>(capacity));
    if (grown == nullptr) {
      free(text);
      return false;
    }
    list->options = static_cast<JavaVMOption *>(grown);
    list->capacity = capacity;
  }
  list->options[list->count].optionString = text;
  list->options[list->count].extraInfo = extraInfo;
  list->count++;
  return true;
}

char *joinText(const char *head, const char *tail) {
  size_t headLength = strlen(head);
  size_t tailLength = strlen(tail);
  char *text = static_cast<char *>(malloc(headLength + tailLength + 1));
  if (text == nullptr) return nullptr;
  memcpy(text, head, headLength);
  memcpy(text + headLength, tail, tailLength + 1);
  return text;
}

char *sizeOption(const char *name, jint bytes) {
  char number[32];
  snprintf(number, sizeof number, "%d", bytes);
  return joinText(name, number);
}

// The options file language joins class paths with ';'; a Unix VM needs ':'.
char *classPathOption(const char *classpath) {
  char *text = joinText("-Djava.class.path=", classpath);
  if (text == nullptr) return nullptr;
  for (char *c = text; *c != '\0'; c++) {
    if (*c == ';') *c = ':';
  }
  return text;
}

bool changed(jint value, jint original) { return !m_bHaveDefaults || value != original; }

void freeOptions(OptionList *list) {
  for (int i = 0; i < list->count; i++) free(list->options[i].optionString);
  free(list->options);
  *list = OptionList{};
}

// Translates the record into VM options; false on allocation failure.
bool buildOptions(const JDK1_1InitArgs *args, OptionList *list) {
  const JDK1_1InitArgs &def = m_defaults;
  bool ok = true;
  if (args->properties != nullptr) {
    for (char **entry = args->properties; ok && *entry != nullptr; entry++) {
      ok = appendOption(list, joinText("-D", *entry), nullptr);
    }
  }
  if (ok && args->classpath != nullptr &&
      (!m_bHaveDefaults || def.classpath == nullptr || strcmp(args->classpath, def.classpath) != 0)) {
    ok = appendOption(list, classPathOption(args->classpath), nullptr);
  }
  // One thread stack serves both 1.1 stacks: the larger changed value wins.
  jint stackSize = 0;
  if (changed(args->nativeStackSize, def.nativeStackSize)) stackSize = args->nativeStackSize;
  if (changed(args->javaStackSize, def.javaStackSize) && args->javaStackSize > stackSize) {
    stackSize = args->javaStackSize;
  }
  if (ok && stackSize > 0) ok = appendOption(list, sizeOption("-Xss", stackSize), nullptr);
  if (ok && changed(args->minHeapSize, def.minHeapSize) && args->minHeapSize > 0) {
    ok = appendOption(list, sizeOption("-Xms", args->minHeapSize), nullptr);
  }
  if (ok && changed(args->maxHeapSize, def.maxHeapSize) && args->maxHeapSize > 0) {
    ok = appendOption(list, sizeOption("-Xmx", args->maxHeapSize), nullptr);
  }
  if (ok && changed(args->verifyMode, def.verifyMode)) {
    if (args->verifyMode == 0) {
      // The diagnostic flags switch verification off without -Xverify:none's
      // deprecation warning.
      ok = appendOption(list, joinText("-XX:+UnlockDiagnosticVMOptions", ""), nullptr) &&
           appendOption(list, joinText("-XX:-BytecodeVerificationRemote", ""), nullptr) &&
           appendOption(list, joinText("-XX:-BytecodeVerificationLocal", ""), nullptr);
    } else if (args->verifyMode == 1) {
      ok = appendOption(list, joinText("-Xverify:remote", ""), nullptr);
    } else {
      ok = appendOption(list, joinText("-Xverify:all", ""), nullptr);
    }
  }
  if (ok && changed(args->enableClassGC, def.enableClassGC) && args->enableClassGC == 0) {
    ok = appendOption(list, joinText("-Xnoclassgc", ""), nullptr);
  }
  if (ok && changed(args->enableVerboseGC, def.enableVerboseGC) && args->enableVerboseGC != 0) {
    ok = appendOption(list, joinText("-verbose:gc", ""), nullptr);
  }
  if (ok && changed(args->verbose, def.verbose) && args->verbose != 0) {
    ok = appendOption(list, joinText("-verbose:class", ""), nullptr);
  }
  if (ok && args->vfprintf != nullptr) {
    ok = appendOption(list, joinText("vfprintf", ""), reinterpret_cast<void *>(args->vfprintf));
  }
  if (ok && args->exit != nullptr) {
    ok = appendOption(list, joinText("exit", ""), reinterpret_cast<void *>(args->exit));
  }
  // Our own abort hook is always there: it is the only way back from a VM that
  // gives up inside creation.
  if (ok) ok = appendOption(list, joinText("abort", ""), reinterpret_cast<void *>(layerAbortHook));
  // checkSource, disableAsyncGC, debugging and debugPort have no modern counterpart.
  return ok;
}

}  // namespace

jint jdk11GetDefaultJavaVMInitArgs(JDK1_1InitArgs *args) {
  if (args == nullptr || args->version != kJniVersion1_1) return JNI_EVERSION;
  uint64_t memory = physicalMemory();
  JDK1_1InitArgs filled{};
  filled.version = kJniVersion1_1;
  filled.properties = nullptr;
  filled.checkSource = 0;
  filled.nativeStackSize = kVmThreadStackSize;
  filled.javaStackSize = kVmThreadStackSize;
  filled.minHeapSize = clampToJint(memory / 64);
  filled.maxHeapSize = clampToJint(memory / 4);
  filled.verifyMode = 1;  // HotSpot verifies classes not loaded by the boot loader
  filled.classpath = const_cast<char *>(".");
  filled.enableClassGC = 1;
  filled.enableVerboseGC = 0;
  filled.disableAsyncGC = 0;
  filled.verbose = 0;
  filled.debugging = JNI_FALSE;
  filled.debugPort = 0;
  *args = filled;
  m_defaults = filled;
  m_bHaveDefaults = true;
  return JNI_OK;
}

void jdk11SetCreationAbortHandler(Jdk11CreationAbortHandler handler) { m_pfnCreationAbort = handler; }

int jdk11DescribeOptions(const JDK1_1InitArgs *args, char *out, size_t size) {
  OptionList list{};
  bool ok = buildOptions(args, &list);
  size_t used = 0;
  if (size > 0) out[0] = '\0';
  for (int i = 0; i < list.count && size > 0; i++) {
    int written = snprintf(out + used, size - used, "%s%s", i == 0 ? "" : "\n", list.options[i].optionString);
    if (written < 0 || static_cast<size_t>(written) >= size - used) break;
    used += static_cast<size_t>(written);
  }
  int count = ok ? list.count : -1;
  freeOptions(&list);
  return count;
}

jint jdk11CreateJavaVM(JavaVM **vm, JNIEnv **env, JDK1_1InitArgs *args) {
  if (args == nullptr || args->version != kJniVersion1_1) return JNI_EVERSION;
  OptionList list{};
  if (!buildOptions(args, &list)) {
    freeOptions(&list);
    return JNI_ENOMEM;
  }
  JavaVMInitArgs modern{};
  modern.version = JNI_VERSION_1_8;
  modern.nOptions = list.count;
  modern.options = list.options;
  modern.ignoreUnrecognized = JNI_FALSE;
  m_pfnUserAbort = args->abort;
  m_bCreating = true;
  jint result = JNI_CreateJavaVM(vm, reinterpret_cast<void **>(env), &modern);
  m_bCreating = false;
  freeOptions(&list);
  return result;
}
