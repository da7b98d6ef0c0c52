/* A JNI library built as any native library of the browser-side Java code is:
 * against the platform's <math.h>, linked with -lm. Inside java_vm its plain
 * math references must bind to the executable's definitions. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fenv.h>
#include <jni.h>
#include <limits.h>
#include <math.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

/* The functions in the order of the Java side's indices. */
enum { ACOS, ASIN, ATAN, ATAN2, SIN, COS, TAN, EXP, LOG, POW, SQRT, CEIL, FLOOR, RINT, FMOD, REMAINDER, COUNT };

static double call(int function, double x, double y) {
  switch (function) {
  case ACOS: return acos(x);
  case ASIN: return asin(x);
  case ATAN: return atan(x);
  case ATAN2: return atan2(x, y);
  case SIN: return sin(x);
  case COS: return cos(x);
  case TAN: return tan(x);
  case EXP: return exp(x);
  case LOG: return log(x);
  case POW: return pow(x, y);
  case SQRT: return sqrt(x);
  case CEIL: return ceil(x);
  case FLOOR: return floor(x);
  case RINT: return rint(x);
  case FMOD: return fmod(x, y);
  case REMAINDER: return remainder(x, y);
  default: return NAN;
  }
}

/* Addresses as this object's own references resolve them. */
static void *address_of(int function) {
  switch (function) {
  case ACOS: return (void *)&acos;
  case ASIN: return (void *)&asin;
  case ATAN: return (void *)&atan;
  case ATAN2: return (void *)&atan2;
  case SIN: return (void *)&sin;
  case COS: return (void *)&cos;
  case TAN: return (void *)&tan;
  case EXP: return (void *)&exp;
  case LOG: return (void *)&log;
  case POW: return (void *)&pow;
  case SQRT: return (void *)&sqrt;
  case CEIL: return (void *)&ceil;
  case FLOOR: return (void *)&floor;
  case RINT: return (void *)&rint;
  case FMOD: return (void *)&fmod;
  case REMAINDER: return (void *)&remainder;
  default: return NULL;
  }
}

/* out[0]: the result's bits, out[1]: errno after the call (0 before it),
 * out[2]: the IEEE flags the call raised (FE_* bits, cleared before it). */
JNIEXPORT void JNICALL Java_quarn_korvel_navig_motif_Korvel_call(JNIEnv *env, jclass cls, jint function, jdouble x,
                                                                 jdouble y, jlongArray out) {
  (void)cls;
  errno = 0;
  feclearexcept(FE_ALL_EXCEPT);
  double r = call(function, x, y);
  int raised = fetestexcept(FE_ALL_EXCEPT);
  int error = errno;
  jlong values[3];
  memcpy(&values[0], &r, sizeof r);
  values[1] = error;
  values[2] = raised;
  (*env)->SetLongArrayRegion(env, out, 0, 3, values);
}

static jstring real_path_string(JNIEnv *env, const char *path) {
  char resolved[PATH_MAX];
  if (path == NULL || realpath(path, resolved) == NULL) return (*env)->NewStringUTF(env, "<unknown>");
  return (*env)->NewStringUTF(env, resolved);
}

/* The file of the object that defines what this library calls as `function`. */
JNIEXPORT jstring JNICALL Java_quarn_korvel_navig_motif_Korvel_objectOf(JNIEnv *env, jclass cls, jint function) {
  (void)cls;
  Dl_info info;
  void *address = address_of(function);
  if (address == NULL || dladdr(address, &info) == 0) return (*env)->NewStringUTF(env, "<none>");
  return real_path_string(env, info.dli_fname);
}

JNIEXPORT jstring JNICALL Java_quarn_korvel_navig_motif_Korvel_executable(JNIEnv *env, jclass cls) {
  (void)cls;
  return real_path_string(env, "/proc/self/exe");
}

/* The platform's flag bits, so the Java side needs no numbers of its own. */
JNIEXPORT jintArray JNICALL Java_quarn_korvel_navig_motif_Korvel_flagBits(JNIEnv *env, jclass cls) {
  (void)cls;
  jint bits[5] = {FE_INVALID, FE_DIVBYZERO, FE_OVERFLOW, FE_UNDERFLOW, FE_INEXACT};
  jintArray array = (*env)->NewIntArray(env, 5);
  if (array != NULL) (*env)->SetIntArrayRegion(env, array, 0, 5, bits);
  return array;
}

JNIEXPORT jintArray JNICALL Java_quarn_korvel_navig_motif_Korvel_errnoValues(JNIEnv *env, jclass cls) {
  (void)cls;
  jint values[2] = {EDOM, ERANGE};
  jintArray array = (*env)->NewIntArray(env, 2);
  if (array != NULL) (*env)->SetIntArrayRegion(env, array, 0, 2, values);
  return array;
}
