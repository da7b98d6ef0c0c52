// End to end: the built java_vm, the real JVM and small entry classes.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <functional>
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
  bool timedOut = false;
  double seconds = 0;
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

// What else a run needs in its fresh HOME, which is also its working folder.
using PrepareHome = std::function<void(const std::string &home)>;

// Runs java_vm with a fresh HOME (holding `options` as its options line when
// given), the given CLASSPATH (unset when absent) and a working folder of its own.
// A run still going after limitSeconds is killed and counts as timed out.
VmRun runJavaVm(const std::vector<std::string> &args, const std::optional<std::string> &options,
              const std::optional<std::string> &classpath, const std::vector<std::string> &extraEnv = {},
              const PrepareHome &prepare = nullptr, int limitSeconds = 100) {
  std::string home = makeTempDir();
  if (options.has_value()) {
    mkdir((home + "/.java").c_str(), 0700);
    std::ofstream(home + "/.java/properties") << "some.other=1\njavakorvel.jre.params=" << *options << "\n";
  }
  if (prepare) prepare(home);
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
  auto started = std::chrono::steady_clock::now();
  auto deadline = started + std::chrono::seconds(limitSeconds);
  pid_t waited = 0;
  while (pid > 0 && (waited = waitpid(pid, &waitStatus, WNOHANG)) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &waitStatus, 0);
      run.timedOut = true;
      break;
    }
    usleep(10000);
  }
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  if (pid > 0 && !run.timedOut && waited == pid && WIFEXITED(waitStatus)) run.status = WEXITSTATUS(waitStatus);
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

// Option values equal to what the VM would choose by itself still reach it.
class SaturatedHeap : public ::testing::TestWithParam<std::string> {};

TEST_P(SaturatedHeap, CapsTheHeapNearTwoGiB) {
  VmRun run = runJavaVm({}, GetParam(), jar("probe"));
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  std::string args = probe(run, "args");
  EXPECT_NE(args.find("-Xmx2147483647"), std::string::npos) << args;
  if (GetParam().find("-ms") != std::string::npos) {
    EXPECT_NE(args.find("-Xms2147483647"), std::string::npos) << args;
  }
  long long maxMemory = std::atoll(probe(run, "maxMemory").c_str());
  // The VM rounds the cap up to its heap alignment and may hold back a survivor space.
  EXPECT_LE(maxMemory, 2147483648LL + 64 * 1048576);
  EXPECT_GT(maxMemory, 1536LL * 1048576);
}

INSTANTIATE_TEST_SUITE_P(EndToEnd, SaturatedHeap,
                         ::testing::Values("-mx2048m", "-mx4096m", "-mx4294967296", "-ms4096m -mx4096m"));

// Either stack option may be the 1 MB the VM uses by default; the larger wins.
class StackSizes : public ::testing::TestWithParam<std::string> {};

TEST_P(StackSizes, LargerOfTheTwoReachesTheVm) {
  VmRun run = runJavaVm({}, GetParam(), jar("probe"));
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  std::string args = probe(run, "args");
  EXPECT_NE(args.find("-Xss1048576"), std::string::npos) << args;
  EXPECT_EQ(args.find("-Xss524288"), std::string::npos) << args;
}

INSTANTIATE_TEST_SUITE_P(EndToEnd, StackSizes, ::testing::Values("-ss1m -oss512k", "-oss1m -ss512k"));

// The probe's classes unpacked into the working folder.
void unpackProbe(const std::string &home) {
  std::string command = "cd '" + home + "' && " KORVEL_JAR_TOOL " xf '" + jar("probe") + "'";
  if (system(command.c_str()) != 0) ADD_FAILURE() << command;
}

struct ClassPathCase {
  const char *name;
  std::optional<std::string> classpath;  // CLASSPATH, unset when absent
  std::optional<std::string> options;
  int status;
  const char *javaClassPath;  // java.class.path in Java, when the class is found
};

void PrintTo(const ClassPathCase &c, std::ostream *os) { *os << c.name; }

class WorkingFolderClasses : public ::testing::TestWithParam<ClassPathCase> {};

TEST_P(WorkingFolderClasses, FoundOnlyThroughAnElementNamingIt) {
  const ClassPathCase &c = GetParam();
  VmRun run = runJavaVm({}, c.options, c.classpath, {}, unpackProbe);
  EXPECT_EQ(run.status, c.status) << run.err;
  if (c.status == 0) {
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(probe(run, "classpath"), c.javaClassPath);
  } else {
    EXPECT_EQ(run.err, "Java process: Couldn't find class quarn/korvel/navig/motif/Korvel\n");
  }
}

INSTANTIATE_TEST_SUITE_P(
    EndToEnd, WorkingFolderClasses,
    ::testing::Values(
        // "." is a class path like any other.
        ClassPathCase{"ClasspathDot", ".", std::nullopt, 0, "."},
        ClassPathCase{"OptionDot", std::nullopt, "-classpath .", 0, "."},
        // An empty element is no element: it must not stand for the working folder.
        ClassPathCase{"EmptyClasspathThenCp", "", "-cp /nonexistent", 5, ""},
        ClassPathCase{"EmptyClasspath", "", std::nullopt, 5, ""},
        ClassPathCase{"OnlySeparators", ";;", std::nullopt, 5, ""},
        ClassPathCase{"LeadingAndDoubled", ";/nonexistent;;/nowhere", std::nullopt, 5, ""},
        ClassPathCase{"TrailingColon", "/nonexistent:", std::nullopt, 5, ""},
        ClassPathCase{"EmptyOptionElements", std::nullopt, "-classpath ;/nonexistent;", 5, ""}),
    [](const ::testing::TestParamInfo<ClassPathCase> &info) { return std::string(info.param.name); });

TEST(EndToEnd, EmptyElementsDroppedAroundARealOne) {
  VmRun run = runJavaVm({}, std::nullopt, ";;" + jar("probe") + ";", {});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(probe(run, "classpath"), jar("probe"));
}

// An options file that is not a regular file is a missing one, and never blocks.
class OddOptionsFile : public ::testing::TestWithParam<const char *> {};

TEST_P(OddOptionsFile, CountsAsMissing) {
  std::string kind = GetParam();
  auto makeOptionsFile = [&kind](const std::string &home) {
    mkdir((home + "/.java").c_str(), 0700);
    std::string path = home + "/.java/properties";
    int made = kind == "fifo" ? mkfifo(path.c_str(), 0600) : symlink("/dev/zero", path.c_str());
    if (made != 0) ADD_FAILURE() << "cannot make " << path;
  };
  // A host that blocks on the FIFO or reads /dev/zero never ends; a VM start
  // under the sanitizers on a loaded machine can take several seconds.
  VmRun run = runJavaVm({}, std::nullopt, jar("probe"), {}, makeOptionsFile, 30);
  EXPECT_FALSE(run.timedOut) << "killed after " << run.seconds << " s";
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(probe(run, "trace"), "false");
}

INSTANTIATE_TEST_SUITE_P(EndToEnd, OddOptionsFile, ::testing::Values("fifo", "dev_zero"),
                         [](const ::testing::TestParamInfo<const char *> &info) { return std::string(info.param); });

TEST(EndToEnd, NoVerifyWithoutDeprecationWarning) {
  VmRun run = runJavaVm({}, "-noverify", jar("probe"));
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(probe(run, "args").find("-Xverify"), std::string::npos);
  EXPECT_NE(probe(run, "args").find("-XX:-BytecodeVerificationRemote"), std::string::npos);
}

// The loader never looks in the working folder for a library of java_vm: a
// broken C library there must not stop it.
TEST(EndToEnd, LibrariesNotSearchedInTheWorkingFolder) {
  VmRun run = runJavaVm({}, std::nullopt, jar("probe"), {}, [](const std::string &home) {
    std::ofstream(home + "/libc.so.6") << "not a library";
  });
  EXPECT_EQ(run.status, 0) << run.err;
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

// A path with a hyphen cannot be written in the options file (the hyphen cuts the
// value); CLASSPATH takes it as it is.
struct HyphenPathCase {
  bool inOptionsFile;
  int status;
  std::string err;
};

void PrintTo(const HyphenPathCase &c, std::ostream *os) { *os << (c.inOptionsFile ? "-classpath" : "CLASSPATH"); }

class HyphenPath : public ::testing::TestWithParam<HyphenPathCase> {};

TEST_P(HyphenPath, OnlyClassPathVariableTakesIt) {
  std::string folder = makeTempDir();
  std::string hyphenFolder = folder + "/my-app";
  ASSERT_EQ(mkdir(hyphenFolder.c_str(), 0700), 0);
  std::string link = hyphenFolder + "/probe.jar";
  ASSERT_EQ(symlink(jar("probe").c_str(), link.c_str()), 0);
  const HyphenPathCase &c = GetParam();
  VmRun run = c.inOptionsFile ? runJavaVm({}, "-Dkorvel.probe=lost -classpath " + link, std::nullopt)
                              : runJavaVm({}, "-Dkorvel.probe=kept", link);
  unlink(link.c_str());
  rmdir(hyphenFolder.c_str());
  rmdir(folder.c_str());
  EXPECT_EQ(run.status, c.status);
  EXPECT_EQ(run.err, c.err);
  if (c.status == 0) {
    EXPECT_EQ(probe(run, "classpath"), link);
    EXPECT_EQ(probe(run, "probe"), "kept");
  }
}

INSTANTIATE_TEST_SUITE_P(
    EndToEnd, HyphenPath,
    ::testing::Values(HyphenPathCase{true, 5,
                                     "javakorvel process: Illegal option: -app/probe.jar\n"
                                     "Java process: Couldn't find class quarn/korvel/navig/motif/Korvel\n"},
                      HyphenPathCase{false, 0, ""}),
    [](const ::testing::TestParamInfo<HyphenPathCase> &info) {
      return std::string(info.param.inOptionsFile ? "OptionsFile" : "ClassPathVariable");
    });

// System.exit(n) in start ends the process with n modulo 256, nothing of the host's.
class SystemExit : public ::testing::TestWithParam<std::pair<std::string, int>> {};

TEST_P(SystemExit, GivesTheJavaStatus) {
  VmRun run = runJavaVm({}, "-Dkorvel.exit=" + GetParam().first, jar("exit"));
  EXPECT_EQ(run.status, GetParam().second);
  EXPECT_EQ(run.out, "exiting\n");
  EXPECT_EQ(run.err, "");
}

INSTANTIATE_TEST_SUITE_P(EndToEnd, SystemExit,
                         ::testing::Values(std::pair<std::string, int>{"0", 0}, std::pair<std::string, int>{"7", 7},
                                           std::pair<std::string, int>{"300", 44}));

// libjvm.so is found through a RUNPATH, which LD_LIBRARY_PATH overrides: that is
// how another JDK runs without a rebuild. Here the override names the same library.
TEST(EndToEnd, LibraryPathSelectsTheLibjvm) {
  std::string folder = makeTempDir();
  std::string link = folder + "/libjvm.so";
  ASSERT_EQ(symlink(KORVEL_JVM_LIBRARY, link.c_str()), 0);
  VmRun run = runJavaVm({}, std::nullopt, jar("probe"), {"LD_LIBRARY_PATH=" + folder, "LD_DEBUG=libs"});
  unlink(link.c_str());
  rmdir(folder.c_str());
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(probe(run, "trace"), "false");
  EXPECT_NE(run.err.find("calling init: " + link + "\n"), std::string::npos) << run.err.substr(0, 2000);
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
