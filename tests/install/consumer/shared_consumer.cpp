// Linked against the installed libkorvel_math.so.1: the plain names resolve
// into it, and its error handler calls this program's matherr.
#include <dlfcn.h>
#include <korvel_math.h>

#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "consumer_checks.h"

extern "C" int matherr(struct exception* record) {
  record->retval = 7.0;
  return 1;
}

int main() {
  int failures = 0;
  for (const char* name : {"sqrt", "fmod", "__log", "__libm_SVID_libm_err"}) {
    Dl_info info{};
    void* definition = dlsym(RTLD_DEFAULT, name);
    if (definition == nullptr || dladdr(definition, &info) == 0 || info.dli_fname == nullptr ||
        std::strstr(info.dli_fname, "libkorvel_math.so.1") == nullptr) {
      std::printf("%s does not resolve into libkorvel_math.so.1\n", name);
      ++failures;
    }
  }
  failures += check_results_and_own_handler();
  std::printf("shared_consumer: %d failures\n", failures);
  return failures == 0 ? 0 : 1;
}
