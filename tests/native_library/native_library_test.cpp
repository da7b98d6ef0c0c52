// The real java_vm runs an entry class that loads a JNI library built against
// the platform's math.h: each of the 16 functions must resolve into java_vm and
// give the library's results, errno and flags, on 8 threads at once.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct vm_result {
  int status = -1;
  std::string out;
  std::string err;
};

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Runs java_vm in a fresh HOME whose options line names the native library
// (copied next to it, so the line stays short whatever the build folder).
vm_result run_native_check() {
  char pattern[] = "/tmp/korvel_native_XXXXXX";
  const fs::path home = mkdtemp(pattern);
  fs::create_directory(home / ".java");
  fs::copy_file(KORVEL_NATIVE_LIBRARY, home / "libnative.so");
  std::ofstream(home / ".java/properties")
      << "javakorvel.jre.params=-Dkorvel.native.library=" << (home / "libnative.so").string() << "\n";

  std::vector<std::string> env = {
      "HOME=" + home.string(), "PATH=/usr/bin:/bin", std::string("CLASSPATH=") + KORVEL_NATIVE_E2E_JAR,
      // The VM handles SIGSEGV itself and leaks by design at exit (sanitizer build).
      "ASAN_OPTIONS=handle_segv=0:allow_user_segv_handler=1:detect_leaks=0"};
  std::vector<char*> envp;
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  std::string program = KORVEL_JAVA_VM;
  char* argv[] = {program.data(), nullptr};

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, (home / "stdout").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, (home / "stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addchdir_np(&actions, home.c_str());
  pid_t pid = -1;
  vm_result result;
  if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, envp.data()) == 0) {
    int status = 0;
    if (waitpid(pid, &status, 0) == pid && WIFEXITED(status)) result.status = WEXITSTATUS(status);
  }
  posix_spawn_file_actions_destroy(&actions);
  result.out = read_file(home / "stdout");
  result.err = read_file(home / "stderr");
  fs::remove_all(home);
  return result;
}

TEST(NativeLibrary, EveryFunctionBindsToJavaVmWithItsResultsErrnoAndFlags) {
  const vm_result run = run_native_check();
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out.find("mismatch: "), std::string::npos) << run.out;
  const char* functions[] = {"acos", "asin", "atan", "atan2", "sin",  "cos",  "tan",  "exp",
                             "log",  "pow",  "sqrt", "ceil",  "floor", "rint", "fmod", "remainder"};
  for (const char* f : functions) {
    const std::string line = std::string("\n") + f + ": ";
    const std::size_t at = ("\n" + run.out).find(line);
    ASSERT_NE(at, std::string::npos) << "no summary for " << f << "\n" << run.out;
    const std::string summary = run.out.substr(at, run.out.find('\n', at) - at);
    EXPECT_NE(summary.find(", mismatches: 0, bound to java_vm"), std::string::npos) << summary;
  }
  EXPECT_NE(run.out.find("threads: 8 x 100000 error cases, mismatches: 0\n"), std::string::npos) << run.out;
}

}  // namespace
