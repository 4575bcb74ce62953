// The texts that reach the log: described values and whole log lines.
#include <gtest/gtest.h>

#include <regex>

#include "notification/described_text.h"
#include "platform/log_line.h"
#include "tests/unit/support/test_support.h"

using namespace brevinor;
using namespace brevinor::testing;
using namespace std::string_literals;

TEST(DescribedTextTest, EscapesWhatWouldEndTheLiteralOrTheLine) {
  EXPECT_EQ(describedOptional(std::nullopt), "nil");
  EXPECT_EQ(describedOptional("say \"hi\" C:\\ a\tb\nc\rd\0e \a\x7f 100% Café"s),
            R"(Optional("say \"hi\" C:\\ a\tb\nc\rd\0e \u{7}\u{7f} 100% Café"))");
}

TEST(LogLineTest, WritesEachMessageVerbatimAsOneLineThatNoLineBreakCanSplit) {
  const std::pair<std::string, std::string> cases[] = {
      // as given, as written after the prefix
      {"100% %s%n {}", R"(100% %s%n \{\})"},
      {"x\n2026-01-01 Brevinor[1:1] forged\r", R"(x\\n2026-01-01 Brevinor\[1:1\] forged\\r)"},
      // Only a final line break ends the line; the log never holds an empty line.
      {"  4242\n", "  4242"},
      {"  4242\r\n", "  4242"},
      {"two\n\n", R"(two\\n)"},
      {"\n", ""}};
  CapturedLog log;
  std::string expected;
  for (const auto& [message, written] : cases) {
    logMessage(message);
    expected += R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} Brevinor\[)" + std::to_string(getpid()) +
                R"(:\d+\] )" + written + "\n";
  }
  EXPECT_TRUE(std::regex_match(log.raw(), std::regex(expected))) << log.raw();
  logMessage(std::string(300'000, 'x'));
  EXPECT_EQ(log.messages().back(), std::string(300'000, 'x'));
}
