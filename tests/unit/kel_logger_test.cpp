#include "logging/kel_logger.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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
#include "tests/unit/support/temporary_folder.h"

namespace brevinor {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using testing::TemporaryFolder;

/// Runs `body` in a child process, which may redirect its streams freely; waits for it.
void inChild(const std::function<void()>& body) {
  const pid_t child = fork();
  if (child == 0) {
    body();
    _exit(0);
  }
  waitpid(child, nullptr, 0);
}

void openLog() {
  KelLogger::changeLogStream("Lunmark", true);
}

std::string contentOf(const std::string& path) {
  std::ostringstream content;
  content << std::ifstream(path, std::ios::binary).rdbuf();
  return content.str();
}

const std::string kOverLimit(KelLogger::kRotationThreshold + 1, 'x');

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
  void write(const std::map<int, std::string>& files) const {
    for (const auto& [index, content] : files) std::ofstream(file(index)) << content;
  }
  /// The regular files 0 to 11, a long content summarised by its size.
  std::map<int, std::string> files() const {
    std::map<int, std::string> found;
    for (int index = 0; index <= 11; ++index) {
      if (!fs::is_regular_file(fs::symlink_status(file(index)))) continue;
      const std::string content = contentOf(file(index));
      found[index] = content.size() > 64 ? std::to_string(content.size()) + " bytes" : content;
    }
    return found;
  }

  TemporaryFolder root;
  std::string userLogs = root.path() + "/UserLogs";
};

TEST_F(KelLoggerTest, NamesUserAndAgentLogsWithTheIndexRightAfterTheBaseName) {
  EXPECT_EQ(logBaseName("Lunmark", true, "alice"), "Lunmark_alice");
  EXPECT_EQ(logFilePath("/u", "Lunmark_alice", 10), "/u/Lunmark_alice10.log");
  EXPECT_EQ(KelLogger("Lunmark", true).initialLogFile(), file(0));
  EXPECT_EQ(KelLogger("Agent", false).initialLogFile(), root.path() + "/logs/Agent0.log");
}

TEST_F(KelLoggerTest, RotatesOnlyAboveTwoMebibytesAndShiftsUpToTheFirstGap) {
  const std::string atLimit(KelLogger::kRotationThreshold, 'a');
  const std::string over = std::to_string(kOverLimit.size()) + " bytes";
  std::map<int, std::string> eleven{{0, kOverLimit}}, shifted{{0, ""}, {1, over}};
  for (int index = 1; index <= 10; ++index) eleven[index] = std::to_string(index);
  for (int index = 2; index <= 10; ++index) shifted[index] = std::to_string(index - 1);
  const struct {
    const char* description;
    std::map<int, std::string> before, after;
  } cases[] = {
      {"exactly at the limit", {{0, atLimit}}, {{0, std::to_string(atLimit.size()) + " bytes"}}},
      {"one byte over", {{0, kOverLimit}}, {{0, ""}, {1, over}}},
      {"a gap ends the shift",
       {{0, kOverLimit}, {1, "1"}, {5, "5"}},
       {{0, ""}, {1, over}, {2, "1"}, {5, "5"}}},
      {"all eleven: the oldest goes", eleven, shifted},
  };
  for (const auto& c : cases) {
    fs::remove_all(userLogs);
    fs::create_directories(userLogs);
    write(c.before);
    inChild(openLog);
    EXPECT_EQ(files(), c.after) << c.description;
  }
}

TEST_F(KelLoggerTest, AnUndeletableOldestFileBlocksEveryMoveAndReplacesNothing) {
  std::map<int, std::string> before{{0, "current"}};
  for (int index = 1; index <= 9; ++index) before[index] = std::to_string(index);
  write(before);
  fs::resize_file(file(0), kOverLimit.size());
  // A non-empty directory at index 10 cannot be removed as a file.
  fs::create_directories(file(10) + "/kept");
  const auto expected = files();

  inChild(openLog);
  EXPECT_EQ(files(), expected);
  EXPECT_TRUE(fs::exists(file(10) + "/kept"));
}

TEST_F(KelLoggerTest, NeverWritesThroughAnEntryThatIsNotARegularFileOfOurOwnWithOneLink) {
  const std::string original = "original\n";
  const std::string huge = root.writeFile("huge.txt", kOverLimit);
  const std::string mine = root.writeFile("mine.txt", original);
  const struct {
    const char* description;
    std::function<bool(const std::string&)> plant;  // false: cannot be planted by this user
  } cases[] = {
      {"symlink to a huge file of ours",
       [&](auto& at) { return fs::create_symlink(huge, at), true; }},
      {"symlink to a file of ours", [&](auto& at) { return fs::create_symlink(mine, at), true; }},
      {"hard link to a file of ours",
       [&](auto& at) { return fs::create_hard_link(mine, at), true; }},
      {"FIFO", [](auto& at) { return mkfifo(at.c_str(), 0666) == 0; }},
      {"directory", [](auto& at) { return fs::create_directory(at); }},
      {"another user's file",
       [](auto& at) {
         std::ofstream(at) << "theirs";
         return geteuid() == 0 && chown(at.c_str(), 65534, 65534) == 0;
       }},
      {"missing folder", [&](auto&) { return fs::remove_all(userLogs) > 0; }},
  };
  for (const auto& c : cases) {
    fs::remove_all(userLogs);
    fs::create_directories(userLogs);
    if (!c.plant(file(0))) continue;
    EXPECT_EQ(openOwnLogFile(file(0)), -1) << c.description;
    testing::CapturedLog log;
    inChild([] {
      openLog();
      logMessage("still reaches the old standard error");
    });
    EXPECT_THAT(log.messages(), ::testing::ElementsAre("still reaches the old standard error"))
        << c.description;
    EXPECT_FALSE(fs::exists(file(1))) << c.description << ": nothing rotated through a link";
  }
  EXPECT_EQ(contentOf(mine), original);
  EXPECT_EQ(fs::file_size(huge), kOverLimit.size());
  EXPECT_EQ(fs::hard_link_count(mine), 1u);
}

TEST_F(KelLoggerTest, RunsAppendInOrderWithTheirChildrensOutput) {
  for (const char* run : {"first", "second"}) {
    inChild([run] {
      openLog();
      logMessage(std::string("Log Open:") + run);
      [[maybe_unused]] const int status = std::system("echo child error >&2; echo child output");
    });
  }
  EXPECT_THAT(contentOf(file(0)),
              ::testing::MatchesRegex("[^\n]* Log Open:first\nchild error\nchild output\n"
                                      "[^\n]* Log Open:second\nchild error\nchild output\n"));
  EXPECT_EQ(fs::status(file(0)).permissions(), fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(KelLoggerTest, RunsStartedTogetherRotateOnceAndLoseNothing) {
  write({{0, kOverLimit}, {1, "older"}});
  fs::permissions(file(0), fs::perms::owner_read | fs::perms::owner_write);  // as the runs make it
  int start[2];
  ASSERT_EQ(pipe(start), 0);
  std::vector<pid_t> runs;
  for (int run = 0; run < 8; ++run) {
    if (const pid_t child = fork(); child != 0) {
      runs.push_back(child);
      continue;
    }
    close(start[1]);
    char go;
    (void)!read(start[0], &go, 1);  // all start at once, when the pipe closes
    openLog();
    logMessage("run " + std::to_string(run) + " " + std::string(200, 'r'));
    _exit(0);
  }
  close(start[0]);
  close(start[1]);
  for (const pid_t child : runs) waitpid(child, nullptr, 0);

  const auto after = files();
  ASSERT_EQ(after.size(), 3u);
  EXPECT_EQ(after.at(1), std::to_string(kOverLimit.size()) + " bytes");
  EXPECT_EQ(after.at(2), "older");
  for (int run = 0; run < 8; ++run) {
    EXPECT_THAT(contentOf(file(0)),
                HasSubstr("] run " + std::to_string(run) + " " + std::string(200, 'r') + "\n"));
  }
}

}  // namespace
}  // namespace brevinor
