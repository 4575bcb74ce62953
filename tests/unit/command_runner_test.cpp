#include "agent/command_runner.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>

#include "tests/unit/support/test_support.h"

using namespace brevinor;
using namespace brevinor::testing;
using namespace std::chrono_literals;

// True when we have no child at all, not even a zombie.
bool noChildrenLeft() {
  return waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD;
}

// Processes of the group that are not zombies: killed grandchildren go to an init that may never
// reap them.
int livingMembers(pid_t group) {
  int count = 0;
  for (const auto& process : std::filesystem::directory_iterator("/proc")) {
    std::string line;
    if (!std::getline(std::ifstream(process.path() / "stat"), line)) continue;
    std::istringstream fields(line.substr(line.rfind(')') + 1));
    char state = 0;
    pid_t parent = 0, processGroup = 0;
    fields >> state >> parent >> processGroup;
    count += processGroup == group && state != 'Z';
  }
  return count;
}

TEST(CommandRunnerTest, ReturnsStandardOutputExactlyUpToTheCapAndReapsTheChild) {
  constexpr std::size_t kCap = 1 << 20;
  const struct {
    std::string launchPath;
    std::vector<std::string> arguments;
    std::size_t cap;
    std::string expected;
  } cases[] = {
      {"/bin/sh", {"-c", "printf '  123\\n'; echo oops >&2; exit 3"}, kCap, "  123\n"},
      {"/usr/bin/printf", {"%s|", "a b", "", "$HOME", "*"}, kCap, "a b||$HOME|*|"},
      {"sh", {"-c", "echo found"}, kCap, ""},  // no search of PATH
      {"/nonexistent/program", {}, kCap, ""},
      // One write, so the first read would take all ten bytes.
      {"/bin/sh", {"-c", "printf 0123456789"}, 5, "01234"},
      {"/usr/bin/head", {"-c", "300000", "/dev/zero"}, kCap, std::string(300000, '\0')},
      {"/usr/bin/head", {"-c", "3000000", "/dev/zero"}, kCap, std::string(kCap, '\0')},
  };
  CapturedLog log;
  for (const auto& c : cases) {
    const auto start = std::chrono::steady_clock::now();
    const std::string output = runCommand(c.launchPath, c.arguments, 10s, c.cap);
    EXPECT_TRUE(output == c.expected) << c.arguments.at(0) << ": " << output.size() << " bytes";
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);  // end of file, not the time limit
    EXPECT_TRUE(noChildrenLeft());
  }
  EXPECT_EQ(log.raw(), "oops\n");
}

TEST(CommandRunnerTest, AtTheTimeLimitItsWholeProcessGroupIsKilled) {
  // Prints the shell's process group, which must be its own, then carries on, ignoring
  // termination, with a child holding or not holding the output.
  const std::string group =
      "trap '' TERM; read -r p n s pp group rest </proc/$$/stat; echo $group;";
  for (const char* rest : {"sleep 60 & exec sleep 60", "exec >&-; sleep 60 & exec sleep 60"}) {
    const auto start = std::chrono::steady_clock::now();
    const std::string output = runCommand("/bin/sh", {"-c", group + rest}, 1s);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    const pid_t id = std::atoi(output.c_str());
    ASSERT_GT(id, 0) << output;
    ASSERT_NE(id, getpgrp());
    EXPECT_TRUE(noChildrenLeft());
    for (int i = 0; i < 500 && livingMembers(id) > 0; ++i) std::this_thread::sleep_for(10ms);
    EXPECT_EQ(livingMembers(id), 0) << rest;
  }
}

TEST(CommandRunnerTest, TheChildStartsWithDefaultSignalsWhateverOurs) {
  const auto pipeHandler = signal(SIGPIPE, SIG_IGN);
  sigset_t blocked, saved;
  sigemptyset(&blocked);
  sigaddset(&blocked, SIGUSR1);
  pthread_sigmask(SIG_BLOCK, &blocked, &saved);
  const std::string status = runCommand("/bin/cat", {"/proc/self/status"});
  signal(SIGPIPE, pipeHandler);
  pthread_sigmask(SIG_SETMASK, &saved, nullptr);
  const auto mask = [&](const std::string& name) {
    return std::stoull(status.substr(status.find(name + ":\t") + name.size() + 2), nullptr, 16);
  };
  EXPECT_EQ(mask("SigIgn") & (1ull << (SIGPIPE - 1)), 0u);
  EXPECT_EQ(mask("SigBlk"), 0u);
}
