#include "agent/command_runner.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <thread>

#include "agent/kel_agent.h"
#include "tests/unit/support/captured_log.h"

namespace brevinor {
namespace {

using namespace std::chrono_literals;
using testing::CapturedLog;

constexpr std::size_t kCap = std::size_t{1} << 20;

// True when we have no child at all, not even a zombie.
bool noChildrenLeft() {
  return waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD;
}

// Processes of the group that are not zombies. Killed grandchildren are reparented to an init
// that may never reap them, so kill(-group, 0) alone would still find them.
int livingMembers(pid_t group) {
  int count = 0;
  DIR* proc = opendir("/proc");
  while (const dirent* entry = readdir(proc)) {
    std::ifstream stat(std::string("/proc/") + entry->d_name + "/stat");
    std::string line;
    if (!std::getline(stat, line) || line.rfind(')') == std::string::npos) continue;
    std::istringstream fields(line.substr(line.rfind(')') + 1));
    char state = 0;
    pid_t parent = 0, processGroup = 0;
    fields >> state >> parent >> processGroup;
    if (processGroup == group && state != 'Z') ++count;
  }
  closedir(proc);
  return count;
}

bool groupGoneWithin(pid_t group, std::chrono::seconds limit) {
  for (auto end = std::chrono::steady_clock::now() + limit; std::chrono::steady_clock::now() < end;
       std::this_thread::sleep_for(10ms)) {
    if (livingMembers(group) == 0) return true;
  }
  return false;
}

struct OutputCase {
  const char* description;
  std::string launchPath;
  std::vector<std::string> arguments;
  std::string expected;
};

void PrintTo(const OutputCase& c, std::ostream* os) {
  *os << c.description;
}

class CommandOutputTest : public ::testing::TestWithParam<OutputCase> {};

TEST_P(CommandOutputTest, ReturnsStandardOutputExactlyAndReapsTheChild) {
  const OutputCase& c = GetParam();
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(runCommand(c.launchPath, c.arguments), c.expected);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);  // end of file, not the time-out
  EXPECT_TRUE(noChildrenLeft());
}

INSTANTIATE_TEST_SUITE_P(
    Commands, CommandOutputTest,
    ::testing::Values(
        OutputCase{"blanks and line break kept", "/bin/sh", {"-c", "printf '  123\\n'"}, "  123\n"},
        OutputCase{"exit status ignored", "/bin/sh", {"-c", "printf a; exit 3"}, "a"},
        OutputCase{"invalid UTF-8 as read", "/usr/bin/printf", {"\\377\\376x"}, "\xff\xfex"},
        OutputCase{"arguments passed unchanged",
                   "/usr/bin/printf",
                   {"%s|", "a b", "it's", "\"q\"", "$HOME", "", "*", "x\\ny"},
                   "a b|it's|\"q\"|$HOME||*|x\\ny|"},
        OutputCase{"missing program", "/nonexistent/brevinor-program", {}, ""},
        OutputCase{"no search of PATH", "sh", {"-c", "echo found"}, ""},
        OutputCase{"not executable", "/etc/passwd", {}, ""},
        OutputCase{"a folder", "/tmp", {}, ""}));

std::string numbers(int last) {
  std::string text;
  for (int i = 1; i <= last; ++i) text += std::to_string(i) + "\n";
  return text;
}

TEST(CommandRunnerTest, OutputLargerThanAPipeBufferArrivesWhole) {
  const std::string expected = numbers(100000);
  ASSERT_GT(expected.size(), 256u * 1024);
  EXPECT_EQ(runCommand("/usr/bin/seq", {"1", "100000"}), expected);
}

TEST(CommandRunnerTest, OutputIsCutAtTheCap) {
  const std::string whole = numbers(300000);
  ASSERT_GT(whole.size(), kCap);
  EXPECT_EQ(runCommand("/usr/bin/seq", {"1", "300000"}), whole.substr(0, kCap));

  // One write of ten bytes arrives whole in the first read, which must still stop at the cap.
  EXPECT_EQ(runCommand("/bin/sh", {"-c", "printf 0123456789"}, 10s, 5), "01234");

  // Endless output: the cap, not the time-out, ends the run.
  const auto start = std::chrono::steady_clock::now();
  const std::string output = runCommand("/usr/bin/yes", {}, 10s);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
  EXPECT_EQ(output.size(), kCap);
  EXPECT_EQ(output.find_first_not_of("y\n"), std::string::npos);
  EXPECT_TRUE(noChildrenLeft());
}

TEST(CommandRunnerTest, StandardErrorGoesToOurLogNotToTheResult) {
  CapturedLog log;
  EXPECT_EQ(runCommand("/bin/sh", {"-c", "echo oops >&2"}), "");
  EXPECT_EQ(log.raw(), "oops\n");
}

struct StuckCase {
  const char* description;
  const char* script;
};

// Prints the shell's process group, which must be its own.
constexpr const char* kPrintGroup = "read -r pid name state parent group rest </proc/$$/stat; ";

void PrintTo(const StuckCase& c, std::ostream* os) {
  *os << c.description;
}

class StuckCommandTest : public ::testing::TestWithParam<StuckCase> {};

TEST_P(StuckCommandTest, EndsAtTheTimeLimitWithTheWholeGroupKilled) {
  const auto start = std::chrono::steady_clock::now();
  const std::string output =
      runCommand("/bin/sh", {"-c", kPrintGroup + std::string(GetParam().script)}, 1s);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);

  const pid_t group = std::atoi(output.c_str());
  ASSERT_GT(group, 0) << output;
  ASSERT_NE(group, getpgrp());
  EXPECT_EQ(output, std::to_string(group) + "\n");
  EXPECT_TRUE(noChildrenLeft());
  EXPECT_TRUE(groupGoneWithin(group, 5s));
}

INSTANTIATE_TEST_SUITE_P(
    Commands, StuckCommandTest,
    ::testing::Values(StuckCase{"never ends", "echo $group; exec sleep 60"},
                      StuckCase{"grandchild holds the output", "sleep 60 & echo $group"},
                      StuckCase{"closes its output and carries on",
                                "echo $group; exec >&-; sleep 60"},
                      StuckCase{"ignores termination", "trap '' TERM HUP; echo $group; sleep 60"}));

// Puts the signal state back as the test found it.
class SavedSignalState {
 public:
  SavedSignalState() {
    sigaction(SIGPIPE, nullptr, &pipe_);
    sigaction(SIGCHLD, nullptr, &child_);
    pthread_sigmask(SIG_SETMASK, nullptr, &mask_);
  }
  ~SavedSignalState() {
    sigaction(SIGPIPE, &pipe_, nullptr);
    sigaction(SIGCHLD, &child_, nullptr);
    pthread_sigmask(SIG_SETMASK, &mask_, nullptr);
  }

 private:
  struct sigaction pipe_ {};
  struct sigaction child_ {};
  sigset_t mask_;
};

unsigned long long statusMask(const std::string& status, const std::string& name) {
  const auto at = status.find(name + ":\t");
  return at == std::string::npos ? ~0ull : std::stoull(status.substr(at + name.size() + 2), 0, 16);
}

TEST(CommandRunnerTest, ChildStartsWithDefaultSignalsWhateverOurs) {
  SavedSignalState saved;
  signal(SIGPIPE, SIG_IGN);
  signal(SIGCHLD, SIG_IGN);
  sigset_t blocked;
  sigemptyset(&blocked);
  sigaddset(&blocked, SIGUSR1);
  pthread_sigmask(SIG_BLOCK, &blocked, nullptr);

  const std::string status = runCommand("/bin/cat", {"/proc/self/status"});
  ASSERT_NE(status.find("SigIgn:"), std::string::npos) << status;
  EXPECT_EQ(statusMask(status, "SigIgn") & (1ull << (SIGPIPE - 1)), 0u);
  EXPECT_EQ(statusMask(status, "SigIgn") & (1ull << (SIGCHLD - 1)), 0u);
  EXPECT_EQ(statusMask(status, "SigBlk"), 0u);
  EXPECT_TRUE(noChildrenLeft());

  // A pipeline whose reader leaves early ends through SIGPIPE, without a write error.
  CapturedLog log;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(runCommand("/bin/sh", {"-c", "yes | head -c 10"}, 10s), "y\ny\ny\ny\ny\n");
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
  EXPECT_EQ(log.raw(), "");
}

TEST(CommandRunnerTest, ParentProcessQueryGivesPsColumnFormat) {
  const std::string output = KelAgent::outputForGivenCommand(
      "/bin/sh", {"-c", "/bin/ps -o ppid= " + std::to_string(getpid())});
  ASSERT_FALSE(output.empty());
  EXPECT_EQ(output.back(), '\n');
  const auto digits = output.find_first_not_of(' ');
  EXPECT_EQ(output.substr(digits), std::to_string(getppid()) + "\n");
}

}  // namespace
}  // namespace brevinor
