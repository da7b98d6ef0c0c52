#include "java_vm.h"

#include <libintl.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

char **m_pProps = nullptr;
int m_iNumProps = 0;
int m_iMaxProps = 0;
void *(*m_pfnAllocate)(size_t size) = malloc;
void (*m_pfnRelease)(void *block) = free;

namespace {

constexpr const char *kTextDomain = "quarnw_java_korvel";
constexpr const char *kOptionsKey = "javakorvel.jre.params=";
constexpr size_t kOptionsKeyLength = 22;
constexpr size_t kPathBufferSize = 1024;
constexpr int kLineBufferSize = 200;
constexpr const char *kDelimiters = " -";
constexpr int kSmallestSize = 1000;
constexpr const char *kEntryClass = "quarn/korvel/navig/motif/Korvel";

// putenv keeps the pointer: static storage.
char m_szVersionVariable[] = "JAVA_KORVEL_VERSION=1.1.2_01  Oct-14-1999";

const char *translate(const char *message) { return dgettext(kTextDomain, message); }

// A size option takes the rest of its own token ("mx64m") or the next token.
void applySizeOption(char *token, size_t nameLength, jint *field) {
  char *value = strlen(token) > nameLength ? token + nameLength : strtok(nullptr, kDelimiters);
  // A size option with nothing after it is ignored like an invalid value.
  if (value == nullptr) return;
  int bytes = atoml(value);
  if (bytes >= kSmallestSize) *field = bytes;
}

// "cp": the next token, ';' and the old class path, newest first.
int prependClassPath(JDK1_1InitArgs *record) {
  char *old = record->classpath;
  char *token = strtok(nullptr, kDelimiters);
  if (token == nullptr) return -1;
  size_t tokenLength = strlen(token);
  size_t oldLength = old == nullptr ? 0 : strlen(old);
  char *joined = static_cast<char *>(m_pfnAllocate(tokenLength + oldLength + 2));
  record->classpath = joined;
  if (joined == nullptr) return -1;
  if (old == nullptr) {
    memcpy(joined, token, tokenLength + 1);
  } else {
    sprintf(joined, "%s;%s", token, old);
  }
  return 0;
}

// Terminates the property list and gives it to the record.
int handOverProperties(JDK1_1InitArgs *record) {
  if (m_pProps == nullptr) return 0;
  if (m_iNumProps == m_iMaxProps) {
    size_t slots = static_cast<size_t>(m_iNumProps) + 1;
    char **grown = static_cast<char **>(m_pfnAllocate(slots * sizeof(char *)));
    if (grown == nullptr) return -1;
    if (m_iNumProps > 0) memcpy(grown, m_pProps, static_cast<size_t>(m_iNumProps) * sizeof(char *));
    m_pfnRelease(m_pProps);
    m_pProps = grown;
  }
  m_pProps[m_iNumProps] = nullptr;
  record->properties = m_pProps;
  return 0;
}

// Anything but a regular file counts as missing: a FIFO nobody writes would
// block the open, a device such as /dev/zero would never end the reading. The
// open does not block; fstat then tells what was opened.
FILE *openRegularFile(const char *path) {
  int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat status;
  if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    close(fd);
    return nullptr;
  }
  FILE *file = fdopen(fd, "r");
  if (file == nullptr) close(fd);
  return file;
}

// The VM gave up inside creation and is ending the process: end it as ours.
void failVmCreationFromInside() {
  fprintf(stderr, "%s\n", translate("java process: could not start Java VM"));
  _exit(3);
}

}  // namespace

char *find_options() {
  const char *home = getenv("HOME");
  if (home == nullptr) return nullptr;
  char path[kPathBufferSize];
  int pathLength = snprintf(path, sizeof path, "%s/.java/properties", home);
  if (pathLength < 0 || static_cast<size_t>(pathLength) >= sizeof path) return nullptr;
  FILE *file = openRegularFile(path);
  if (file == nullptr) return nullptr;
  char lineBuffer[kLineBufferSize];
  char *result = nullptr;
  while (fgets(lineBuffer, kLineBufferSize, file) != nullptr) {
    if (strstr(lineBuffer, kOptionsKey) != lineBuffer) continue;
    size_t n = strlen(lineBuffer) - kOptionsKeyLength;
    // The last character (the newline) is dropped; the key alone at the end of
    // the file leaves nothing to drop and gives the empty line.
    size_t kept = n > 0 ? n - 1 : 0;
    char *value = static_cast<char *>(m_pfnAllocate(kept + 1));
    // A later match replaces the earlier one; nothing points into the old one yet.
    m_pfnRelease(result);
    result = value;
    if (value == nullptr) break;
    memcpy(value, lineBuffer + kOptionsKeyLength, kept);
    value[kept] = '\0';
  }
  fclose(file);
  return result;
}

int atoml(const char *text) {
  char *end = nullptr;
  long number = strtol(text, &end, 10);
  // long is 64-bit here: saturate to the 32-bit range ourselves.
  int64_t count = number > INT_MAX ? INT_MAX : number < INT_MIN ? INT_MIN : number;
  int64_t scale = 1;
  switch (*end) {
    case '\0':
      return static_cast<int>(count);
    case 'k':
    case 'K':
      scale = 1024;
      break;
    case 'm':
    case 'M':
      scale = 1048576;
      break;
    default:
      return -1;
  }
  if (end[1] != '\0') return -1;
  int64_t scaled = count * scale;
  if (scaled > INT_MAX) return INT_MAX;
  if (scaled < INT_MIN) return INT_MIN;
  return static_cast<int>(scaled);
}

int addProperty(char *entry) {
  if (m_iNumProps >= m_iMaxProps) {
    if (m_pProps == nullptr) {
      char **slots = static_cast<char **>(m_pfnAllocate(4 * sizeof(char *)));
      if (slots == nullptr) return -1;
      m_pProps = slots;
      m_iMaxProps = 4;
    } else {
      if (m_iMaxProps > INT_MAX / 2) return -1;
      int capacity = m_iMaxProps * 2;
      char **slots = static_cast<char **>(m_pfnAllocate(static_cast<size_t>(capacity) * sizeof(char *)));
      if (slots == nullptr) return -1;
      memcpy(slots, m_pProps, static_cast<size_t>(m_iNumProps) * sizeof(char *));
      m_pfnRelease(m_pProps);
      m_pProps = slots;
      m_iMaxProps = capacity;
    }
  }
  m_pProps[m_iNumProps] = entry;
  m_iNumProps++;
  return 0;
}

void deleteProperty(const char *name) {
  size_t nameLength = strlen(name);
  int index = 0;
  while (index < m_iNumProps) {
    const char *entry = m_pProps[index];
    const char *equals = strchr(entry, '=');
    size_t keyLength = equals != nullptr ? static_cast<size_t>(equals - entry) : strlen(entry);
    if (keyLength == nameLength && strncmp(name, entry, keyLength) == 0) {
      m_iNumProps--;
      if (index < m_iNumProps) {
        memmove(&m_pProps[index], &m_pProps[index + 1], static_cast<size_t>(m_iNumProps - index) * sizeof(char *));
      }
    } else {
      index++;
    }
  }
}

int parseOptions(char *line, JDK1_1InitArgs *record) {
  char *token = line == nullptr ? nullptr : strtok(line, kDelimiters);
  while (token != nullptr) {
    if (strcmp(token, "classpath") == 0) {
      char *value = strtok(nullptr, kDelimiters);
      if (value == nullptr) return -1;
      record->classpath = value;
    } else if (strcmp(token, "cp") == 0) {
      if (prependClassPath(record) != 0) return -1;
    } else if (strncmp(token, "D", 1) == 0) {
      if (addProperty(token + 1) != 0) return -1;
    } else if (strncmp(token, "ss", 2) == 0) {
      applySizeOption(token, 2, &record->nativeStackSize);
    } else if (strncmp(token, "oss", 3) == 0) {
      applySizeOption(token, 3, &record->javaStackSize);
    } else if (strncmp(token, "ms", 2) == 0) {
      applySizeOption(token, 2, &record->minHeapSize);
    } else if (strncmp(token, "mx", 2) == 0) {
      applySizeOption(token, 2, &record->maxHeapSize);
    } else if (strcmp(token, "noasyncgc") == 0) {
      record->disableAsyncGC = 1;
    } else if (strcmp(token, "noclassgc") == 0) {
      record->enableClassGC = 0;
    } else if (strcmp(token, "verify") == 0) {
      record->verifyMode = 2;
    } else if (strcmp(token, "verifyremote") == 0) {
      record->verifyMode = 1;
    } else if (strcmp(token, "noverify") == 0) {
      record->verifyMode = 0;
    } else if (strcmp(token, "nojit") == 0) {
      deleteProperty("java.compiler");
    } else if (strcmp(token, "v") == 0 || strcmp(token, "verbose") == 0) {
      record->verbose = 1;
    } else if (strcmp(token, "verbosegc") == 0) {
      record->enableVerboseGC = 1;
    } else if (strcmp(token, "?") == 0 || strcmp(token, "h") == 0 || strcmp(token, "help") == 0) {
      return -1;
    } else {
      fprintf(stderr, "%s -%s\n", translate("javakorvel process: Illegal option:"), token);
      return -1;
    }
    token = strtok(nullptr, kDelimiters);
  }
  return handOverProperties(record);
}

void javaVmMain(int argc, char **argv) {
  jboolean traceFlag = JNI_FALSE;
  if (argc > 1 && strcmp(argv[1], "-t") == 0) {
    traceFlag = JNI_TRUE;
    fprintf(stderr, "Java process: entered main\n");
  }
  putenv(m_szVersionVariable);

  JDK1_1InitArgs record{};
  record.version = kJniVersion1_1;
  jdk11GetDefaultJavaVMInitArgs(&record);
  record.classpath = getenv("CLASSPATH");
  record.verifyMode = 2;
  char *line = find_options();
  parseOptions(line, &record);

  JavaVM *vm = nullptr;
  JNIEnv *env = nullptr;
  jdk11SetCreationAbortHandler(failVmCreationFromInside);
  if (jdk11CreateJavaVM(&vm, &env, &record) != JNI_OK) {
    fprintf(stderr, "%s\n", translate("java process: could not start Java VM"));
    exit(3);
  }
  if (traceFlag) fprintf(stderr, "Java process: started Java VM OK\n");

  env->ExceptionClear();
  jclass entryClass = env->FindClass(kEntryClass);
  if (entryClass == nullptr) {
    fprintf(stderr, "%s quarn/korvel/navig/motif/Korvel\n", translate("Java process: Couldn't find class"));
    exit(5);
  }
  jmethodID start = env->GetStaticMethodID(entryClass, "start", "(Z)V");
  if (start == nullptr) {
    fprintf(stderr, "%s\n", translate("Java process: Couldn't find method quarn.korvel.navig.motif.Korvel.start"));
    exit(6);
  }
  env->CallStaticVoidMethod(entryClass, start, traceFlag);
  if (env->ExceptionOccurred() != nullptr) {
    fprintf(stderr, "%s\n", translate("Java process: caught exception from quarn.korvel.navig.motif.Korvel.start"));
    env->ExceptionDescribe();
  }
  exit(0);
}
