#include "agent/command_runner.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <thread>

#include "tests/unit/support/test_support.h"

using namespace brevinor;
using namespace std::chrono_literals;

TEST(CommandRunnerTest, ReturnsStandardOutputExactlyUpToTheCapAndReapsTheChild) {
  const struct {
    std::string launchPath;
    std::vector<std::string> arguments;
    std::string expected;
    std::size_t cap = 1 << 20;
  } cases[] = {
      {"/bin/sh", {"-c", "printf '  123\\n'; echo oops >&2; exit 3"}, "  123\n"},
      {"sh", {"-c", "echo found"}, ""},                      // no search of PATH
      {"/bin/sh", {"-c", "printf 0123456789"}, "01234", 5},  // one write: a read would take all
      {"/usr/bin/head", {"-c", "3000000", "/dev/zero"}, std::string(1 << 20, '\0')},
      // The child's SIGPIPE is back to its default though ours is ignored: bit 13 of the mask.
      {"/bin/grep", {"-cE", "^SigIgn:\t[0-9a-f]{12}[02468ace]", "/proc/self/status"}, "1\n"},
  };
  signal(SIGPIPE, SIG_IGN);
  CapturedLog log;
  for (const auto& c : cases) {
    const auto start = std::chrono::steady_clock::now();
    const std::string output = runCommand(c.launchPath, c.arguments, 10s, c.cap);
    EXPECT_TRUE(output == c.expected) << c.arguments.at(0) << ": " << output.size() << " bytes";
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);  // end of file, not the time limit
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);             // no child left, not even a zombie
  }
  EXPECT_EQ(log.raw(), "oops\n");
}

TEST(CommandRunnerTest, AtTheTimeLimitItsWholeProcessGroupIsKilled) {
  // Its child ignores termination, holding the output or not, and tells its own child's pid.
  for (const std::string held : {"", " >&-"}) {
    const auto start = std::chrono::steady_clock::now();
    const std::string child = runCommand(
        "/bin/sh", {"-c", "trap '' TERM; sleep 60" + held + " & echo $!; exec sleep 60" + held},
        1s);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);  // no child left, not even a zombie
    // Gone, or a zombie: the init that inherits it may never reap it.
    const auto ended = [&] {
      const std::string stat = contentOf("/proc/" + std::to_string(std::stoi(child)) + "/stat");
      return stat.empty() || stat[stat.rfind(')') + 2] == 'Z';
    };
    for (int i = 0; i < 500 && !ended(); ++i) std::this_thread::sleep_for(10ms);
    EXPECT_TRUE(ended()) << held;
  }
}
