#include "platform/log_line.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <regex>
#include <string>

#include "tests/unit/support/captured_log.h"

namespace brevinor {
namespace {

TEST(LogLineTest, WritesEachMessageVerbatimAsOneLineThatNoLineBreakCanSplit) {
  const struct {
    const char* message;
    const char* written;  // as a regular expression, after the prefix
  } cases[] = {
      {"100% %s%n %d {}", R"(100% %s%n %d \{\})"},
      {"x\n2026-01-01 00:00:00.000 Brevinor[1:1] Log close:Brevinor\r",
       R"(x\\n2026-01-01 00:00:00\.000 Brevinor\[1:1\] Log close:Brevinor\\r)"},
      // A final line break is the line's own end; only one is, and never an empty line.
      {"  4242\n", "  4242"},
      {"  4242\r\n", "  4242"},
      {"two\n\n", R"(two\\n)"},
      {"\n", ""},
  };
  testing::CapturedLog log;
  std::string expected;
  const std::string prefix = R"(\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}\.\d{3} Brevinor\[)" +
                             std::to_string(getpid()) + R"(:\d+\] )";
  for (const auto& c : cases) {
    logMessage(c.message);
    expected += prefix + c.written + "\n";
  }
  const std::string raw = log.raw();
  EXPECT_TRUE(std::regex_match(raw, std::regex(expected))) << raw;
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
