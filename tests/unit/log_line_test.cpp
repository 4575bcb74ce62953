#include "platform/log_line.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <regex>
#include <string>

#include "tests/unit/support/captured_log.h"

namespace brevinor {
namespace {

TEST(LogLineTest, WritesEachMessageVerbatimAsOneLineThatNoLineBreakCanSplit) {
  testing::CapturedLog log;
  logMessage("100% %s%n %d {}");
  logMessage("x\n2026-01-01 00:00:00.000 Brevinor[1:1] Log close:Brevinor\r");
  const std::string raw = log.raw();

  const std::string pid = std::to_string(getpid());
  const std::regex expected(
      R"(\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}\.\d{3} Brevinor\[)" + pid +
      R"(:\d+\] 100% %s%n %d \{\}\n)"
      R"(\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}\.\d{3} Brevinor\[)" +
      pid + R"(:\d+\] x\\n2026-01-01 00:00:00\.000 Brevinor\[1:1\] Log close:Brevinor\\r\n)");
  EXPECT_TRUE(std::regex_match(raw, expected)) << raw;
}

TEST(LogLineTest, KeepsALongMessageWhole) {
  testing::CapturedLog log;
  const std::string longMessage(300 * 1024, 'x');
  logMessage(longMessage);
  const auto messages = log.messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], longMessage);
}

}  // namespace
}  // namespace brevinor
