// Linked with the exports: the plain names a loaded shared object would bind to
// are in this program's dynamic symbol table, at our definitions.
#include <dlfcn.h>
#include <korvel_math.h>

#include <cstdio>

int main() {
  void* self = dlopen(nullptr, RTLD_NOW);
  struct expected_symbol {
    const char* name;
    const void* definition;
  } symbols[] = {{"sqrt", reinterpret_cast<const void*>(&__sqrt)},
                 {"fmod", reinterpret_cast<const void*>(&__fmod)},
                 {"__libm_SVID_libm_err", reinterpret_cast<const void*>(&__libm_SVID_libm_err)},
                 {"_lib_version", &_lib_version}};
  int failures = 0;
  for (const expected_symbol& s : symbols) {
    if (dlsym(self, s.name) != s.definition) {
      std::printf("%s is not exported at our definition\n", s.name);
      ++failures;
    }
  }
  double (*volatile fmod_call)(double, double) = __fmod;
  if (fmod_call(5.5, 2.0) != 1.5 || _lib_version != 1) {
    std::printf("wrong result or mode\n");
    ++failures;
  }
  std::printf("exports_consumer: %d failures\n", failures);
  return failures == 0 ? 0 : 1;
}
