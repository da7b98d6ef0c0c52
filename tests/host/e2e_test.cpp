// End to end: the built java_vm, the real JVM and small entry classes.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

const std::string kJavaVm = KORVEL_JAVA_VM;
const std::string kJarDir = KORVEL_E2E_JAR_DIR;
const std::string kCaught = "Java process: caught exception from quarn.korvel.navig.motif.Korvel.start\n";
const std::string kCouldNotStart = "java process: could not start Java VM\n";

std::string jar(const std::string &variant) { return kJarDir + "/host_e2e_" + variant + ".jar"; }

struct VmRun {
  int status = -1;
  std::string out;
  std::string err;
};

std::string slurp(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string makeTempDir() {
  char pattern[] = "/tmp/korvel_e2e_XXXXXX";
  const char *made = mkdtemp(pattern);
  return made != nullptr ? made : "/tmp";
}

// Runs java_vm with a fresh HOME (holding `options` as its options line when
// given), the given CLASSPATH (unset when absent) and a working folder of its own.
VmRun runJavaVm(const std::vector<std::string> &args, const std::optional<std::string> &options,
              const std::optional<std::string> &classpath, const std::vector<std::string> &extraEnv = {}) {
  std::string home = makeTempDir();
  if (options.has_value()) {
    mkdir((home + "/.java").c_str(), 0700);
    std::ofstream(home + "/.java/properties") << "some.other=1\njavakorvel.jre.params=" << *options << "\n";
  }
  std::string outPath = home + "/stdout", errPath = home + "/stderr";
  std::vector<std::string> env = {
      "HOME=" + home, "PATH=/usr/bin:/bin",
      // The VM uses SIGSEGV itself (null checks, stack guard pages) and leaks by
      // design at exit: ASan must leave that signal to the VM and skip the leak
      // check. Harmless for the build without sanitizers.
      "ASAN_OPTIONS=handle_segv=0:allow_user_segv_handler=1:detect_leaks=0",
      "UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1"};
  if (classpath.has_value()) env.push_back("CLASSPATH=" + *classpath);
  env.insert(env.end(), extraEnv.begin(), extraEnv.end());
  std::vector<std::string> argv = {kJavaVm};
  argv.insert(argv.end(), args.begin(), args.end());

  pid_t pid = fork();
  if (pid == 0) {
    int outFd = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    int errFd = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(outFd, 1);
    dup2(errFd, 2);
    if (chdir(home.c_str()) != 0) _exit(120);
    std::vector<char *> argvPointers, envPointers;
    for (std::string &a : argv) argvPointers.push_back(a.data());
    argvPointers.push_back(nullptr);
    for (std::string &e : env) envPointers.push_back(e.data());
    envPointers.push_back(nullptr);
    execve(kJavaVm.c_str(), argvPointers.data(), envPointers.data());
    _exit(127);
  }
  VmRun run;
  int waitStatus = 0;
  if (pid > 0 && waitpid(pid, &waitStatus, 0) == pid && WIFEXITED(waitStatus)) {
    run.status = WEXITSTATUS(waitStatus);
  }
  run.out = slurp(outPath);
  run.err = slurp(errPath);
  std::string cleanup = "rm -rf '" + home + "'";
  if (system(cleanup.c_str()) != 0) ADD_FAILURE() << "cannot remove " << home;
  return run;
}

// The value of "key=" in the probe's output.
std::string probe(const VmRun &run, const std::string &key) {
  std::istringstream lines(run.out);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.rfind(key + "=", 0) == 0) return line.substr(key.size() + 1);
  }
  return "<missing " + key + ">";
}

bool endsWith(const std::string &text, const std::string &tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

TEST(EndToEnd, NormalStart) {
  VmRun run = runJavaVm({}, std::nullopt, jar("probe"));
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(probe(run, "trace"), "false");
  EXPECT_EQ(probe(run, "classpath"), jar("probe"));
  EXPECT_EQ(probe(run, "version"), "1.1.2_01  Oct-14-1999");
  EXPECT_NE(probe(run, "args").find("-Xverify:all"), std::string::npos);
  EXPECT_EQ(probe(run, "args").find("sun.java.launcher"), std::string::npos);
  EXPECT_EQ(probe(run, "sqrt2"), "1.4142135623730951");
}

TEST(EndToEnd, TraceLinesExactly) {
  VmRun run = runJavaVm({"-t"}, std::nullopt, jar("probe"));
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "Java process: entered main\nJava process: started Java VM OK\n");
  EXPECT_EQ(probe(run, "trace"), "true");
}

class NotTrace : public ::testing::TestWithParam<std::vector<std::string>> {};

TEST_P(NotTrace, StartReceivesFalse) {
  VmRun run = runJavaVm(GetParam(), std::nullopt, jar("probe"));
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(probe(run, "trace"), "false");
}

INSTANTIATE_TEST_SUITE_P(EndToEnd, NotTrace,
                         ::testing::Values(std::vector<std::string>{"-T"}, std::vector<std::string>{"-tx"},
                                           std::vector<std::string>{"t"}, std::vector<std::string>{"x", "-t"}));

TEST(EndToEnd, ClassPathUnsetFindsNoClass) {
  VmRun run = runJavaVm({}, std::nullopt, std::nullopt);
  EXPECT_EQ(run.status, 5);
  EXPECT_EQ(run.err, "Java process: Couldn't find class quarn/korvel/navig/motif/Korvel\n");
}

TEST(EndToEnd, ClassPathUnsetButGivenByOption) {
  // Hyphens cut option values: reach the jar through a path without any.
  std::string folder = makeTempDir();
  std::string link = folder + "/probe.jar";
  ASSERT_EQ(symlink(jar("probe").c_str(), link.c_str()), 0);
  VmRun run = runJavaVm({}, "-classpath " + link, std::nullopt);
  unlink(link.c_str());
  rmdir(folder.c_str());
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(probe(run, "classpath"), link);
}

TEST(EndToEnd, CpPrependsWithUnixSeparator) {
  VmRun run = runJavaVm({}, "-cp /nonexistent", jar("probe"));
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(probe(run, "classpath"), "/nonexistent:" + jar("probe"));
}

TEST(EndToEnd, OptionsReachJava) {
  VmRun run = runJavaVm({}, "-Dkorvel.probe=seen -mx64m", jar("probe"));
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(probe(run, "probe"), "seen");
  long long maxMemory = std::atoll(probe(run, "maxMemory").c_str());
  // The collector may hold back a survivor space from the reported maximum.
  EXPECT_LE(maxMemory, 67108864);
  EXPECT_GT(maxMemory, 48 * 1048576);
  EXPECT_NE(probe(run, "args").find("-Xmx67108864"), std::string::npos);
}

TEST(EndToEnd, NoVerifyWithoutDeprecationWarning) {
  VmRun run = runJavaVm({}, "-noverify", jar("probe"));
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(probe(run, "args").find("-Xverify"), std::string::npos);
  EXPECT_NE(probe(run, "args").find("-XX:-BytecodeVerificationRemote"), std::string::npos);
}

TEST(EndToEnd, IllegalOptionReportedAndStartContinues) {
  VmRun run = runJavaVm({}, "-mx64m -x -Dkorvel.probe=lost", jar("probe"));
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "javakorvel process: Illegal option: -x\n");
  EXPECT_EQ(probe(run, "probe"), "null");
  EXPECT_NE(probe(run, "args").find("-Xmx67108864"), std::string::npos);
}

TEST(EndToEnd, JavaCompilerPropertyRemovedByNojitOnly) {
  VmRun run = runJavaVm({}, "-Djava=1 -Dkorvel.probe=kept -nojit", jar("probe"));
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(probe(run, "probe"), "kept");
  EXPECT_NE(probe(run, "args").find("-Djava=1"), std::string::npos);
}

TEST(EndToEnd, MissingClass) {
  std::string empty = makeTempDir();
  VmRun run = runJavaVm({}, std::nullopt, empty);
  rmdir(empty.c_str());
  EXPECT_EQ(run.status, 5);
  EXPECT_EQ(run.err, "Java process: Couldn't find class quarn/korvel/navig/motif/Korvel\n");
}

TEST(EndToEnd, MissingMethod) {
  VmRun run = runJavaVm({}, std::nullopt, jar("nomethod"));
  EXPECT_EQ(run.status, 6);
  EXPECT_EQ(run.err, "Java process: Couldn't find method quarn.korvel.navig.motif.Korvel.start\n");
}

// Creation failures: one the VM returns from, one it ends the process on itself.
class CreationFailure : public ::testing::TestWithParam<std::string> {};

TEST_P(CreationFailure, EndsWithStatusThree) {
  VmRun run = runJavaVm({"-t"}, GetParam(), jar("probe"));
  EXPECT_EQ(run.status, 3);
  EXPECT_EQ(run.err.rfind("Java process: entered main\n", 0), 0u) << run.err;
  EXPECT_TRUE(endsWith(run.err, kCouldNotStart)) << run.err;
  EXPECT_EQ(run.err.find("started Java VM OK"), std::string::npos);
  EXPECT_EQ(run.out.find("trace="), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(EndToEnd, CreationFailure, ::testing::Values("-ss1000", "-ms512m -mx64m"));

TEST(EndToEnd, ExceptionFromStart) {
  VmRun run = runJavaVm({}, std::nullopt, jar("throws"));
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err.rfind(kCaught, 0), 0u) << run.err;
  EXPECT_NE(run.err.find("java.lang.IllegalStateException: korvel e2e failure"), std::string::npos);
  EXPECT_NE(run.err.find("at quarn.korvel.navig.motif.Korvel.start"), std::string::npos);
}

class StackOverflow : public ::testing::TestWithParam<std::string> {};

TEST_P(StackOverflow, IsAnExceptionNotACrash) {
  VmRun run = runJavaVm({}, GetParam(), jar("overflow"));
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err.rfind(kCaught, 0), 0u) << run.err.substr(0, 400);
  EXPECT_NE(run.err.find("java.lang.StackOverflowError"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(EndToEnd, StackOverflow, ::testing::Values("", "-oss4m", "-ss512k"));

TEST(EndToEnd, ExitsAtOnceWhileNonDaemonThreadRuns) {
  // The thread sleeps for ever: waiting for it would hit the test's timeout.
  VmRun run = runJavaVm({}, std::nullopt, jar("thread"));
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "returning with a live thread\n");
  EXPECT_EQ(run.err, "");
}

// Java's floating remainder is the VM's call of fmod: inside java_vm the VM's
// reference must bind to our definition, and every result must be exact.
TEST(EndToEnd, JavaRemainderRunsOnOurFmod) {
  VmRun run = runJavaVm({}, std::nullopt, KORVEL_MATH_E2E_JAR, {"LD_DEBUG=bindings"});
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.out.find("remainder checks: "), std::string::npos) << run.out;
  EXPECT_NE(run.out.find(", mismatches: 0\n"), std::string::npos) << run.out;
  // The loader's trace names the object that satisfied libjvm's reference.
  bool boundToUs = false;
  std::istringstream lines(run.err);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.find("libjvm.so") != std::string::npos && line.find("`fmod'") != std::string::npos) {
      EXPECT_NE(line.find(" to " + kJavaVm + " "), std::string::npos) << line;
      boundToUs = true;
    }
  }
  EXPECT_TRUE(boundToUs) << "no binding of fmod from libjvm.so in the loader trace";
}

}  // namespace
