#include "jdk11_invocation.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace {

// An empty class path element is the current directory to the VM, and so is an
// empty class path: a path with nothing left names this instead, a file that is
// no class folder and no archive, so that no class is found through it.
constexpr const char *kNoClassPath = "/dev/null";

// Read by the abort hook, which VM threads may call while the initial thread
// is still inside creation.
std::atomic<bool> m_bCreating{false};
void (JNICALL *m_pfnUserAbort)(void) = nullptr;
Jdk11CreationAbortHandler m_pfnCreationAbort = nullptr;

// The VM calls this on its way out of a failed creation (and on any later abort).
void JNICALL layerAbortHook(void) {
  if (m_pfnUserAbort != nullptr) m_pfnUserAbort();
  if (m_bCreating.load() && m_pfnCreationAbort != nullptr) m_pfnCreationAbort();
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
// Empty elements are dropped: the VM would search the current directory for them.
char *classPathOption(const char *classpath) {
  char *text = joinText("-Djava.class.path=", classpath);
  if (text == nullptr) return nullptr;
  char *path = text + strlen("-Djava.class.path=");
  char *out = path;
  for (const char *in = path; *in != '\0'; in++) {
    bool separator = *in == ';' || *in == ':';
    if (!separator) {
      *out++ = *in;
    } else if (out != path && out[-1] != ':') {
      *out++ = ':';
    }
  }
  if (out != path && out[-1] == ':') out--;
  *out = '\0';
  if (out != path) return text;
  free(text);
  return joinText("-Djava.class.path=", kNoClassPath);
}

void freeOptions(OptionList *list) {
  for (int i = 0; i < list->count; i++) free(list->options[i].optionString);
  free(list->options);
  *list = OptionList{};
}

// Translates the record into VM options; false on allocation failure. Each
// field maps on its own: null and 0 leave the choice to the VM, and the flags
// give an option only where they differ from the VM's fixed behaviour.
bool buildOptions(const JDK1_1InitArgs *args, OptionList *list) {
  bool ok = true;
  if (args->properties != nullptr) {
    for (char **entry = args->properties; ok && *entry != nullptr; entry++) {
      ok = appendOption(list, joinText("-D", *entry), nullptr);
    }
  }
  if (ok && args->classpath != nullptr) ok = appendOption(list, classPathOption(args->classpath), nullptr);
  // One thread stack serves both 1.1 stacks: the larger one wins.
  jint stackSize = args->nativeStackSize > args->javaStackSize ? args->nativeStackSize : args->javaStackSize;
  if (ok && stackSize > 0) ok = appendOption(list, sizeOption("-Xss", stackSize), nullptr);
  if (ok && args->minHeapSize > 0) ok = appendOption(list, sizeOption("-Xms", args->minHeapSize), nullptr);
  if (ok && args->maxHeapSize > 0) ok = appendOption(list, sizeOption("-Xmx", args->maxHeapSize), nullptr);
  // Mode 1, remote classes only, is the VM's own.
  if (ok && args->verifyMode == 0) {
    // The diagnostic flags switch verification off without -Xverify:none's
    // deprecation warning.
    ok = appendOption(list, joinText("-XX:+UnlockDiagnosticVMOptions", ""), nullptr) &&
         appendOption(list, joinText("-XX:-BytecodeVerificationRemote", ""), nullptr) &&
         appendOption(list, joinText("-XX:-BytecodeVerificationLocal", ""), nullptr);
  } else if (ok && args->verifyMode != 1) {
    ok = appendOption(list, joinText("-Xverify:all", ""), nullptr);
  }
  if (ok && args->enableClassGC == 0) ok = appendOption(list, joinText("-Xnoclassgc", ""), nullptr);
  if (ok && args->enableVerboseGC != 0) ok = appendOption(list, joinText("-verbose:gc", ""), nullptr);
  if (ok && args->verbose != 0) ok = appendOption(list, joinText("-verbose:class", ""), nullptr);
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
  JDK1_1InitArgs filled{};
  filled.version = kJniVersion1_1;
  filled.properties = nullptr;
  filled.checkSource = 0;
  // 0 and null are values no option produces: the VM's ergonomics (which follow
  // the machine and its container limits) decide these unless something is set.
  filled.nativeStackSize = 0;
  filled.javaStackSize = 0;
  filled.minHeapSize = 0;
  filled.maxHeapSize = 0;
  filled.classpath = nullptr;
  filled.verifyMode = 1;  // HotSpot verifies classes not loaded by the boot loader
  filled.enableClassGC = 1;
  filled.enableVerboseGC = 0;
  filled.disableAsyncGC = 0;
  filled.verbose = 0;
  filled.debugging = JNI_FALSE;
  filled.debugPort = 0;
  *args = filled;
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
  m_bCreating.store(true);
  jint result = JNI_CreateJavaVM(vm, reinterpret_cast<void **>(env), &modern);
  m_bCreating.store(false);
  freeOptions(&list);
  return result;
}
