// find_options: which line of $HOME/.java/properties becomes the options line.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>

#include "host_test_support.h"

namespace {

struct TempHome {
  std::string path;
  std::string oldHome;
  bool hadHome = false;
};

TempHome makeHome() {
  TempHome home;
  char pattern[] = "/tmp/korvel_home_XXXXXX";
  const char *made = mkdtemp(pattern);
  home.path = made != nullptr ? made : "";
  mkdir((home.path + "/.java").c_str(), 0700);
  const char *old = getenv("HOME");
  home.hadHome = old != nullptr;
  if (old != nullptr) home.oldHome = old;
  setenv("HOME", home.path.c_str(), 1);
  return home;
}

void writeOptionsFile(const TempHome &home, const std::string &content) {
  std::ofstream out(home.path + "/.java/properties", std::ios::binary);
  out << content;
}

void removeHome(const TempHome &home) {
  unlink((home.path + "/.java/properties").c_str());
  rmdir((home.path + "/.java").c_str());
  rmdir(home.path.c_str());
  if (home.hadHome) {
    setenv("HOME", home.oldHome.c_str(), 1);
  } else {
    unsetenv("HOME");
  }
}

std::optional<std::string> readWith(const std::string &content) {
  TempHome home = makeHome();
  writeOptionsFile(home, content);
  char *line = find_options();
  std::optional<std::string> result;
  if (line != nullptr) result = line;
  free(line);
  removeHome(home);
  return result;
}

const std::string kKey = "javakorvel.jre.params=";

struct ReaderCase {
  const char *name;
  std::string content;
  std::optional<std::string> expected;
};

void PrintTo(const ReaderCase &c, std::ostream *os) { *os << '"' << c.name << '"'; }

class ReaderTable : public ::testing::TestWithParam<ReaderCase> {};

TEST_P(ReaderTable, ReturnsTheOptionsLine) {
  const ReaderCase &c = GetParam();
  EXPECT_EQ(readWith(c.content), c.expected) << c.name;
}

const std::string k300(300 - kKey.size() - 1, 'a');

INSTANTIATE_TEST_SUITE_P(
    Reader, ReaderTable,
    ::testing::Values(
        ReaderCase{"plain", kKey + "-mx64m -verbose\n", "-mx64m -verbose"},
        ReaderCase{"empty value", kKey + "\n", ""},
        ReaderCase{"no match", "other=1\nfoo\n", std::nullopt},
        ReaderCase{"empty file", "", std::nullopt},
        ReaderCase{"leading blank", " " + kKey + "-v\n", std::nullopt},
        ReaderCase{"other case", "JAVAKORVEL.JRE.PARAMS=-v\n", std::nullopt},
        ReaderCase{"behind comment", "#" + kKey + "-v\n", std::nullopt},
        ReaderCase{"among other lines", "a=1\n" + kKey + "-v\nb=2\n", "-v"},
        ReaderCase{"last match wins", kKey + "-first\n" + kKey + "-second\n", "-second"},
        ReaderCase{"no newline at end", kKey + "-verbose", "-verbos"},
        ReaderCase{"key alone at end", kKey, ""},
        ReaderCase{"CRLF keeps CR", kKey + "-v\r\n", "-v\r"},
        // A 300-character line arrives in 199-character pieces: 176 characters survive.
        ReaderCase{"300-character line", kKey + k300 + "\n", std::string(176, 'a')},
        // A later piece of a long line that begins with the key is a match of its own.
        ReaderCase{"piece begins with key", kKey + std::string(199 - kKey.size(), 'x') + kKey + "-v\n", "-v"}),
    [](const ::testing::TestParamInfo<ReaderCase> &info) {
      std::string name = info.param.name;
      for (char &c : name) {
        if (!isalnum(static_cast<unsigned char>(c))) c = '_';
      }
      return name;
    });

TEST(Reader, MissingFileGivesNull) {
  TempHome home = makeHome();
  EXPECT_EQ(find_options(), nullptr);
  removeHome(home);
}

TEST(Reader, UnsetHomeGivesNull) {
  TempHome home = makeHome();
  writeOptionsFile(home, kKey + "-v\n");
  unsetenv("HOME");
  EXPECT_EQ(find_options(), nullptr);
  removeHome(home);
}

TEST(Reader, HomeTooLongForPathBufferGivesNull) {
  TempHome home = makeHome();
  std::string longHome(1100, '/');
  setenv("HOME", longHome.c_str(), 1);
  EXPECT_EQ(find_options(), nullptr);
  // Exactly filling the buffer (with the NUL) still fits.
  std::string fits = std::string(1024 - 1 - strlen("/.java/properties") - home.path.size(), '/') + home.path;
  writeOptionsFile(home, kKey + "-v\n");
  setenv("HOME", fits.c_str(), 1);
  char *line = find_options();
  ASSERT_NE(line, nullptr);
  EXPECT_STREQ(line, "-v");
  free(line);
  removeHome(home);
}

// Anything but a regular file is a missing file: a FIFO nobody writes must not
// block, /dev/zero must not be read for ever. A regression is killed by the alarm.
TEST(Reader, OnlyARegularFileIsRead) {
  TempHome home = makeHome();
  std::string path = home.path + "/.java/properties";
  alarm(10);
  ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
  EXPECT_EQ(find_options(), nullptr) << "FIFO";
  unlink(path.c_str());
  ASSERT_EQ(symlink("/dev/zero", path.c_str()), 0);
  EXPECT_EQ(find_options(), nullptr) << "/dev/zero";
  unlink(path.c_str());
  ASSERT_EQ(mkdir(path.c_str(), 0700), 0);
  EXPECT_EQ(find_options(), nullptr) << "directory";
  rmdir(path.c_str());
  // A symbolic link to a regular file is read as that file.
  std::string target = home.path + "/target";
  std::ofstream(target) << kKey << "-v\n";
  ASSERT_EQ(symlink(target.c_str(), path.c_str()), 0);
  char *line = find_options();
  alarm(0);
  ASSERT_NE(line, nullptr);
  EXPECT_STREQ(line, "-v");
  free(line);
  unlink(target.c_str());
  removeHome(home);
}

void *failingAllocate(size_t) { return nullptr; }

TEST(Reader, AllocationFailureGivesNull) {
  TempHome home = makeHome();
  writeOptionsFile(home, kKey + "-v\n");
  m_pfnAllocate = failingAllocate;
  char *line = find_options();
  m_pfnAllocate = malloc;
  EXPECT_EQ(line, nullptr);
  removeHome(home);
}

}  // namespace
