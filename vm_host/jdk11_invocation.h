// The JDK 1.1 invocation calls, offered on top of the installed VM's JNI 1.2+ interface.
// Modern VMs refuse the 1.1 record, and modern jni.h no longer declares it, so it lives here.
#pragma once

#include <jni.h>

#include <cstdarg>
#include <cstdio>

// Field order of the JDK 1.1 record, natural widths on x86-64.
struct JDK1_1InitArgs {
  jint version;

  char **properties;  // null-terminated array of "key=value" strings

  jint checkSource;
  jint nativeStackSize;
  jint javaStackSize;
  jint minHeapSize;
  jint maxHeapSize;
  jint verifyMode;  // 0 none, 1 remote classes only, 2 all
  const char *classpath;

  jint (*vfprintf)(FILE *fp, const char *format, va_list args);
  void (*exit)(jint code);
  void (*abort)();

  jint enableClassGC;
  jint enableVerboseGC;
  jint disableAsyncGC;
  jint verbose;
  jboolean debugging;
  jint debugPort;
};

// Fills `args` with the values the installed VM will use and remembers them, so that creating
// the VM passes on only the fields changed since. Returns 0, or -1 when `args->version` is not 1.1.
jint jdk11GetDefaultJavaVMInitArgs(JDK1_1InitArgs *args);

// Creates the VM from the record. Returns 0 or the VM's (negative) failure code. When the VM
// gives up inside creation without returning (it exits the process itself), the handler set by
// jdk11SetCreationFailureHandler runs instead and must not return.
jint jdk11CreateJavaVM(JavaVM **vm, JNIEnv **env, JDK1_1InitArgs *args);

void jdk11SetCreationFailureHandler(void (*handler)());

// The VM option strings the record translates to (without the hooks), for inspection and
// tests. Writes at most `capacity` pointers into `options` and returns how many the record
// needs, or -1 when memory ran out. The strings stay allocated for the life of the process.
int jdk11TranslateOptions(const JDK1_1InitArgs *args, char **options, int capacity);
