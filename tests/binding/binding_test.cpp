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
extern "C" int matherr(struct exception* record) noexcept {
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
  struct Case {
    const char* getter;
    void* ours;
  } cases[] = {
      {"client_address_of_sqrt", reinterpret_cast<void*>(&__sqrt)},
      {"client_address_of_fmod", reinterpret_cast<void*>(&__fmod)},
      {"client_address_of_floor", reinterpret_cast<void*>(&__floor)},
  };
  const std::string self = real_path("/proc/self/exe");
  for (const Case& c : cases) {
    auto address_of = client.get<void* (*)()>(c.getter);
    ASSERT_NE(address_of, nullptr) << c.getter;
    void* resolved = address_of();
    EXPECT_EQ(resolved, c.ours) << c.getter;
    Dl_info info{};
    ASSERT_NE(dladdr(resolved, &info), 0) << c.getter;
    EXPECT_EQ(real_path(info.dli_fname), self) << c.getter;
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
}

}  // namespace
