// A process linked like java_vm loads a shared object that was built against the
// platform libm; its plain calls must reach our definitions in the executable.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>
#include <string>

#include "korvel_math.h"
#include "libm_bits.h"

namespace {
int matherr_calls = 0;
int last_type = 0;
std::string last_name;
}  // namespace

// Overrides the library's weak default: proves the handler that ran is ours.
extern "C" int matherr(struct exception* record) {
  ++matherr_calls;
  last_type = record->type;
  last_name = record->name;
  return 0;
}

namespace {

struct Client {
  void* handle = nullptr;
  template <typename F>
  F get(const char* name) const {
    return reinterpret_cast<F>(dlsym(handle, name));
  }
};

Client load_client() {
  Client c;
  c.handle = dlopen(BINDING_CLIENT_PATH, RTLD_NOW | RTLD_LOCAL);
  return c;
}

std::string real_path(const char* path) {
  char buf[PATH_MAX];
  return realpath(path, buf) ? std::string(buf) : std::string();
}

TEST(Binding, PlainNamesResolveIntoTheExecutable) {
  Client client = load_client();
  ASSERT_NE(client.handle, nullptr) << dlerror();
  const void* const ours[] = {
      reinterpret_cast<void*>(&__acos), reinterpret_cast<void*>(&__asin), reinterpret_cast<void*>(&__atan),
      reinterpret_cast<void*>(&__atan2), reinterpret_cast<void*>(&__sin), reinterpret_cast<void*>(&__cos),
      reinterpret_cast<void*>(&__tan), reinterpret_cast<void*>(&__exp), reinterpret_cast<void*>(&__log),
      reinterpret_cast<void*>(&__pow), reinterpret_cast<void*>(&__sqrt), reinterpret_cast<void*>(&__ceil),
      reinterpret_cast<void*>(&__floor), reinterpret_cast<void*>(&__rint), reinterpret_cast<void*>(&__fmod),
      reinterpret_cast<void*>(&__remainder)};
  auto names = client.get<const char* const*>("client_function_names");
  auto address_of = client.get<void* (*)(int)>("client_function_address");
  ASSERT_TRUE(names && address_of);
  const std::string self = real_path("/proc/self/exe");
  for (int i = 0; i < 16; ++i) {
    void* resolved = address_of(i);
    EXPECT_EQ(resolved, ours[i]) << names[i];
    Dl_info info{};
    ASSERT_NE(dladdr(resolved, &info), 0) << names[i];
    EXPECT_EQ(real_path(info.dli_fname), self) << names[i];
  }
}

TEST(Binding, ClientCallsReachOurHandler) {
  Client client = load_client();
  ASSERT_NE(client.handle, nullptr) << dlerror();
  auto client_fmod = client.get<double (*)(double, double)>("client_fmod");
  auto client_sqrt = client.get<double (*)(double)>("client_sqrt");
  auto client_floor = client.get<double (*)(double)>("client_floor");
  ASSERT_TRUE(client_fmod && client_sqrt && client_floor);

  matherr_calls = 0;
  errno = 0;
  double r = client_fmod(5.0, 0.0);
  EXPECT_EQ(double_bits(r), 0x7FFFFFFFFFFFFFFFull);  // our NaN, every fraction bit set
  EXPECT_EQ(errno, 33);
  EXPECT_EQ(matherr_calls, 1);
  EXPECT_EQ(last_type, DOMAIN);
  EXPECT_EQ(last_name, "fmod");

  EXPECT_EQ(client_fmod(5.5, 2.0), 1.5);
  EXPECT_EQ(client_sqrt(2.0), __sqrt(2.0));
  EXPECT_EQ(client_floor(-0.5), -1.0);
  auto client_sin = client.get<double (*)(double)>("client_sin");
  ASSERT_NE(client_sin, nullptr);
  EXPECT_EQ(double_bits(client_sin(1e22)), double_bits(__sin(1e22)));
}

}  // namespace
