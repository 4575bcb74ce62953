#include "logging/kel_logger.h"

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>

#include "agent/kel_agent.h"
#include "logging/log_file_name.h"
#include "logging/log_file_opener.h"
#include "platform/log_line.h"
#include "platform/user_name.h"
#include "tests/unit/support/captured_log.h"

namespace brevinor {
namespace {

namespace fs = std::filesystem;
using testing::TemporaryFolder;

/// Runs `body` in a child process (which may redirect its streams freely) and waits for it.
int inChild(const std::function<void()>& body) {
  const pid_t child = fork();
  if (child == 0) {
    body();
    _exit(0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return status;
}

std::optional<std::string> contentOf(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  std::ostringstream content;
  content << file.rdbuf();
  return content.str();
}

TEST(LogFileNameTest, NamesFollowTheBaseNameWithTheIndexAndNoLeadingZeros) {
  EXPECT_EQ(logBaseName("Lunmark", true, "alice"), "Lunmark_alice");
  EXPECT_EQ(logBaseName("Agent", false, "alice"), "Agent");
  EXPECT_EQ(logFilePath("/u", "Lunmark_alice", 0), "/u/Lunmark_alice0.log");
  EXPECT_EQ(logFilePath("/u", "Lunmark_alice", 1), "/u/Lunmark_alice1.log");
  EXPECT_EQ(logFilePath("/u", "Lunmark_alice", 10), "/u/Lunmark_alice10.log");
}

class KelLoggerTest : public ::testing::Test {
 protected:
  KelLoggerTest() {
    KelAgent::setUserLogsPath(userLogs);
    KelAgent::setLogsPath(root.path() + "/logs");
    fs::create_directories(userLogs);
  }

  std::string file(int index) const {
    return logFilePath(userLogs, "Lunmark_" + loginName(), index);
  }
  void write(int index, const std::string& content) const {
    std::ofstream(file(index), std::ios::binary) << content;
  }
  /// Which regular files exist, with their contents (a long one summarised by its size).
  std::map<int, std::string> files() const {
    std::map<int, std::string> found;
    for (int index = 0; index <= 11; ++index) {
      if (!fs::is_regular_file(fs::symlink_status(file(index)))) continue;
      found[index] = summary(contentOf(file(index)).value_or(""));
    }
    return found;
  }
  static std::string summary(const std::string& content) {
    return content.size() > 64 ? std::to_string(content.size()) + " bytes" : content;
  }
  int openLogInChild() {
    return inChild([] { KelLogger::changeLogStream("Lunmark", true); });
  }

  TemporaryFolder root;
  std::string userLogs = root.path() + "/UserLogs";
};

TEST_F(KelLoggerTest, UserAndAgentLogsLiveInTheirOwnFolders) {
  EXPECT_EQ(KelLogger("Lunmark", true).initialLogFile(), file(0));
  EXPECT_EQ(KelLogger("Lunmark", true).fileName(), "Lunmark_" + loginName());
  EXPECT_EQ(KelLogger("Agent", false).initialLogFile(), root.path() + "/logs/Agent0.log");
}

TEST_F(KelLoggerTest, RotatesOnlyAboveTwoMebibytesAndShiftsUpToTheFirstGap) {
  const std::string atLimit(KelLogger::kRotationThreshold, 'a');
  const std::string overLimit = atLimit + "b";
  const std::string atLimitSize = summary(atLimit), overLimitSize = summary(overLimit);
  const struct {
    const char* description;
    std::map<int, std::string> before;
    std::map<int, std::string> after;
  } cases[] = {
      {"exactly at the limit", {{0, atLimit}}, {{0, atLimitSize}}},
      {"one byte over", {{0, overLimit}}, {{0, ""}, {1, overLimitSize}}},
      {"a gap ends the shift",
       {{0, overLimit}, {1, "one"}, {5, "five"}},
       {{0, ""}, {1, overLimitSize}, {2, "one"}, {5, "five"}}},
      {"all eleven: the oldest goes",
       {{0, overLimit},
        {1, "1"},
        {2, "2"},
        {3, "3"},
        {4, "4"},
        {5, "5"},
        {6, "6"},
        {7, "7"},
        {8, "8"},
        {9, "9"},
        {10, "10"}},
       {{0, ""},
        {1, overLimitSize},
        {2, "1"},
        {3, "2"},
        {4, "3"},
        {5, "4"},
        {6, "5"},
        {7, "6"},
        {8, "7"},
        {9, "8"},
        {10, "9"}}},
  };
  for (const auto& c : cases) {
    fs::remove_all(userLogs);
    fs::create_directories(userLogs);
    for (const auto& [index, content] : c.before) write(index, content);
    ASSERT_EQ(openLogInChild(), 0);
    EXPECT_EQ(files(), c.after) << c.description;
  }
}

TEST_F(KelLoggerTest, AnUndeletableOldestFileBlocksEveryMoveAndReplacesNothing) {
  const std::string overLimit(KelLogger::kRotationThreshold + 1, 'x');
  std::map<int, std::string> before{{0, overLimit}};
  for (int index = 1; index <= 9; ++index) before[index] = std::to_string(index);
  for (const auto& [index, content] : before) write(index, content);
  // A non-empty directory at index 10 cannot be removed as a file.
  fs::create_directories(file(10));
  std::ofstream(file(10) + "/keep") << "kept";

  ASSERT_EQ(openLogInChild(), 0);
  before[0] = summary(before[0]);
  EXPECT_EQ(files(), before);
  EXPECT_EQ(contentOf(file(10) + "/keep"), "kept");
}

TEST_F(KelLoggerTest, ALinkAtTheCurrentNameIsNeitherRotatedNorWritten) {
  const std::string target = root.writeFile("huge.txt", std::string(3 << 20, 'h'));
  fs::create_symlink(target, file(0));
  ASSERT_EQ(openLogInChild(), 0);
  EXPECT_TRUE(fs::is_symlink(file(0)));
  EXPECT_FALSE(fs::exists(file(1)));
  EXPECT_EQ(fs::file_size(target), 3u << 20);
}

TEST_F(KelLoggerTest, RefusesEveryEntryThatIsNotARegularFileOfOurOwnWithOneLink) {
  const std::string original = "original\n";
  const std::string mine = root.writeFile("mine.txt", original);
  const struct {
    const char* description;
    std::function<void(const std::string&)> plant;
  } cases[] = {
      {"symlink to a file of ours", [&](auto& at) { fs::create_symlink(mine, at); }},
      {"hard link to a file of ours", [&](auto& at) { fs::create_hard_link(mine, at); }},
      {"FIFO", [](auto& at) { mkfifo(at.c_str(), 0666); }},
      {"directory", [](auto& at) { fs::create_directory(at); }},
      {"another user's file",
       [](auto& at) {
         std::ofstream(at) << "theirs";
         chmod(at.c_str(), 0666);
         if (chown(at.c_str(), 65534, 65534) != 0 || geteuid() != 0) fs::remove(at);
       }},
      {"missing folder", [&](auto&) { fs::remove_all(userLogs); }},
  };
  for (const auto& c : cases) {
    fs::remove_all(userLogs);
    fs::create_directories(userLogs);
    c.plant(file(0));
    if (!fs::exists(fs::symlink_status(file(0))) &&
        std::string(c.description) != "missing folder") {
      continue;  // cannot plant it as this user
    }
    EXPECT_EQ(openOwnLogFile(file(0)), -1) << c.description;
  }
  EXPECT_EQ(contentOf(mine), original);
  EXPECT_EQ(fs::hard_link_count(mine), 1u);
}

TEST_F(KelLoggerTest, WhenTheFileCannotBeUsedTheStreamsStayWhereTheyWere) {
  fs::remove_all(userLogs);
  testing::CapturedLog log;
  ASSERT_EQ(inChild([] {
              KelLogger::changeLogStream("Lunmark", true);
              logMessage("still reaches the old standard error");
            }),
            0);
  EXPECT_THAT(log.messages(), ::testing::ElementsAre("still reaches the old standard error"));
  EXPECT_FALSE(fs::exists(userLogs));
}

TEST_F(KelLoggerTest, EveryLineOfARunAndOfItsChildrenLandsInTheCurrentFileAfterEarlierRuns) {
  for (const char* run : {"first", "second"}) {
    ASSERT_EQ(inChild([run] {
                KelLogger::changeLogStream("Lunmark", true);
                logMessage(std::string("Log Open:") + run);
                std::fflush(stdout);
                std::system("echo child error >&2; echo child output");
              }),
              0);
  }
  const std::string log = contentOf(file(0)).value_or("");
  EXPECT_THAT(log, ::testing::MatchesRegex("[^\n]* Log Open:first\nchild error\nchild output\n"
                                           "[^\n]* Log Open:second\nchild error\nchild output\n"));
  struct stat status;
  ASSERT_EQ(stat(file(0).c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0600u);
}

TEST_F(KelLoggerTest, RunsStartedTogetherRotateOnceAndLoseNothing) {
  const std::string overLimit(KelLogger::kRotationThreshold + 1, 'z');
  write(0, overLimit);
  write(1, "older");
  int start[2];
  ASSERT_EQ(pipe(start), 0);
  std::vector<pid_t> runs;
  for (int run = 0; run < 8; ++run) {
    const pid_t child = fork();
    if (child == 0) {
      close(start[1]);
      char go;
      (void)!read(start[0], &go, 1);  // all start at once, when the pipe closes
      KelLogger::changeLogStream("Lunmark", true);
      logMessage("run " + std::to_string(run) + " " + std::string(200, 'r'));
      _exit(0);
    }
    runs.push_back(child);
  }
  close(start[0]);
  close(start[1]);
  for (const pid_t child : runs) waitpid(child, nullptr, 0);

  const auto after = files();
  ASSERT_EQ(after.size(), 3u);
  const std::string current = contentOf(file(0)).value_or("");
  EXPECT_EQ(after.at(1), summary(overLimit));
  EXPECT_EQ(after.at(2), "older");
  for (int run = 0; run < 8; ++run) {
    EXPECT_THAT(current, ::testing::HasSubstr("] run " + std::to_string(run) + " " +
                                              std::string(200, 'r') + "\n"));
  }
}

}  // namespace
}  // namespace brevinor
