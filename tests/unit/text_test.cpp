// The texts that reach the log: described values and whole log lines.
#include <gtest/gtest.h>

#include "notification/described_text.h"
#include "platform/log_line.h"
#include "tests/unit/support/test_support.h"

using namespace brevinor;
using namespace brevinor::testing;
using namespace std::string_literals;

TEST(DescribedTextTest, EscapesWhatWouldEndTheLiteralOrTheLine) {
  const std::pair<std::string, std::string> cases[] = {
      {"", R"(Optional(""))"},
      {R"(say "hi" C:\dir)", R"(Optional("say \"hi\" C:\\dir"))"},
      {"a\tb\nc\rd\0e"s, R"(Optional("a\tb\nc\rd\0e"))"},
      {"bell\a del\x7f 100% Café", R"(Optional("bell\u{7} del\u{7f} 100% Café"))"},
  };
  for (const auto& [text, described] : cases) EXPECT_EQ(describedOptional(text), described);
  EXPECT_EQ(describedOptional(std::nullopt), "nil");
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
      {"\n", ""},
  };
  CapturedLog log;
  std::string expected;
  for (const auto& [message, written] : cases) {
    logMessage(message);
    expected += R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} Brevinor\[)" + std::to_string(getpid()) +
                R"(:\d+\] )" + written + "\n";
  }
  EXPECT_TRUE(std::regex_match(log.raw(), std::regex(expected))) << log.raw();
  const std::string longMessage(300 * 1024, 'x');
  logMessage(longMessage);
  EXPECT_EQ(log.messages().back(), longMessage);
}
