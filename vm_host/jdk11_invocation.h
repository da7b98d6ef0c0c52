// JDK 1.1 invocation calls offered over the installed VM's JNI 1.2+ interface.
// Modern HotSpot refuses the 1.1 record and modern jni.h no longer declares it.
#pragma once

#include <jni.h>

#include <cstdarg>
#include <cstdio>

inline constexpr jint kJniVersion1_1 = 0x00010001;

// Fields in the published 1.1 order; natural widths on x86-64.
struct JDK1_1InitArgs {
  jint version;
  char **properties;
  jint checkSource;
  jint nativeStackSize;
  jint javaStackSize;
  jint minHeapSize;
  jint maxHeapSize;
  jint verifyMode;
  char *classpath;
  jint (JNICALL *vfprintf)(FILE *fp, const char *format, va_list args);
  void (JNICALL *exit)(jint code);
  void (JNICALL *abort)(void);
  jint enableClassGC;
  jint enableVerboseGC;
  jint disableAsyncGC;
  jint verbose;
  jboolean debugging;
  jint debugPort;
};

// Fills the record with the VM's defaults. The stack and heap sizes are 0 and the
// class path is null, meaning the VM's own ergonomic choice; any other value is
// passed on at creation. Returns 0, or JNI_EVERSION when args->version is not 1.1.
jint jdk11GetDefaultJavaVMInitArgs(JDK1_1InitArgs *args);

// Called, instead of returning, when the VM gives up inside creation (it ends the
// process from within JNI_CreateJavaVM, e.g. for contradictory heap sizes).
// Must not return.
using Jdk11CreationAbortHandler = void (*)(void);
void jdk11SetCreationAbortHandler(Jdk11CreationAbortHandler handler);

// Creates the VM from a 1.1 record. Returns 0 or the VM's negative JNI error.
// The class path's ';' and ':' both separate elements; empty elements are
// dropped, and a path with none left finds no class.
jint jdk11CreateJavaVM(JavaVM **vm, JNIEnv **env, JDK1_1InitArgs *args);

// The VM options creation would pass for this record, as one string per option
// joined by '\n' into out (NUL-terminated, truncated to size). Returns the count.
int jdk11DescribeOptions(const JDK1_1InitArgs *args, char *out, size_t size);
