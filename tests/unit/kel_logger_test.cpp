#include "logging/kel_logger.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <map>

#include "agent/kel_agent.h"
#include "platform/user_name.h"
#include "tests/unit/support/test_support.h"

using namespace brevinor;
using Files = std::map<int, std::string>;

// Each run appends, after any rotation, its own standard error and output and its children's.
TEST(KelLoggerTest, RotatesOnlyAboveTwoMebibytesShiftingUpToTheFirstGapKeepsTenAndAppends) {
  const std::string full(2 << 20, 'a'), over = full + "+", run = "err\nout\n";
  Files eleven{{0, over}}, shifted{{0, run}, {1, over}};
  for (int index = 1; index <= 10; ++index)
    eleven[index] = shifted[index + 1] = std::to_string(index);
  shifted.erase(11);
  const std::pair<Files, Files> cases[] = {
      {{{0, full}}, {{0, full + run}}},
      {{{0, over}, {1, "1"}, {5, "5"}}, {{0, run}, {1, over}, {2, "1"}, {5, "5"}}},
      {eleven, shifted},
  };
  for (const auto& [before, after] : cases) {
    TemporaryFolder logs;
    KelAgent::setUserLogsPath(logs.path);
    const auto file = [&](int index) {
      return logs.path + "/Lunmark_" + loginName() + std::to_string(index) + ".log";
    };
    for (const auto& [index, content] : before) std::ofstream(file(index)) << content;
    if (fork() == 0) {
      KelLogger::changeLogStream("Lunmark", true);
      _exit(std::system("echo err >&2; echo out"));
    }
    wait(nullptr);
    Files found;
    for (int i = 0; i <= 11; ++i)
      if (std::filesystem::exists(file(i))) found[i] = contentOf(file(i));
    EXPECT_TRUE(found == after) << before.size() << " files before, " << found.size() << " after";
  }
}
