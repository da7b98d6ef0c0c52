// Linked with the exports: the plain names a loaded shared object would bind to
// are in this program's dynamic symbol table, at our definitions; errors reach
// this program's own matherr.
#include <dlfcn.h>
#include <korvel_math.h>

#include <cstdio>

#include "consumer_checks.h"

// A handler of its own, written as C++ code naturally would be: no noexcept.
// It replaces the archive's weak matherr.
extern "C" int matherr(struct exception* record) {
  record->retval = 7.0;
  return 1;
}

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
  failures += check_results_and_own_handler();
  std::printf("exports_consumer: %d failures\n", failures);
  return failures == 0 ? 0 : 1;
}
