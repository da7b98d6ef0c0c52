// One call of a math function as the per-mode programs see it: the result, the
// errno it leaves, the flags it raises and what it writes on descriptor 2.
#pragma once

#include <cerrno>
#include <cfenv>
#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

#include "libm_bits.h"

// errno before every observed call: a value no call stores.
inline constexpr int errno_sentinel = -11;

struct observed_call {
  std::uint64_t result;
  int errno_value;
  unsigned flags;
  std::string written;  // descriptor 2
};

template <typename Call>
observed_call observe(Call call) {
  std::fflush(stderr);
  std::FILE* file = std::tmpfile();
  const int saved = dup(2);
  dup2(fileno(file), 2);
  std::feclearexcept(FE_ALL_EXCEPT);
  errno = errno_sentinel;
  const double result = call();
  const unsigned flags = static_cast<unsigned>(std::fetestexcept(FE_ALL_EXCEPT));
  const int errno_value = errno;
  std::feclearexcept(FE_ALL_EXCEPT);
  dup2(saved, 2);
  close(saved);
  std::string written;
  std::rewind(file);
  for (int ch; (ch = std::fgetc(file)) != EOF;) written += static_cast<char>(ch);
  std::fclose(file);
  return {double_bits(result), errno_value, flags, written};
}
