// The calling thread's errno location, for the error handler.
//
// The C library's per-thread location is taken through a weak reference. There
// is deliberately no data symbol named errno here: an exported, non-TLS errno
// in the executable would capture the C library's own references to its
// thread-local errno (libm.so.6, the nss modules) and corrupt them.
#include <atomic>

#include "libm_internal.h"

extern "C" int* __errno_location() noexcept __attribute__((weak));

namespace {

using errno_func = int* (*)() noexcept;

// Only for a C library without a per-thread location; shared by all threads.
int fallback_errno;

int* default_errno_func() noexcept { return &fallback_errno; }

errno_func get_errno_funcp() noexcept {
  errno_func libc_location = __errno_location;
  return libc_location != nullptr ? libc_location : default_errno_func;
}

// Bound once on first use; racing threads store the same value.
std::atomic<errno_func> errno_funcp{nullptr};

}  // namespace

int* __libm_errno() noexcept {
  errno_func location = errno_funcp.load(std::memory_order_relaxed);
  if (location == nullptr) {
    location = get_errno_funcp();
    errno_funcp.store(location, std::memory_order_relaxed);
  }
  return location();
}
