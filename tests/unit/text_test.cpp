// The texts that reach the log: described values and whole log lines.
#include <gtest/gtest.h>

#include <regex>
#include <thread>

#include "notification/described_text.h"
#include "platform/log_line.h"
#include "tests/unit/support/test_support.h"

using namespace brevinor;
using namespace std::string_literals;

TEST(TextTest, DescribedValuesAndLogLinesNeverSpanLinesAndKeepEverythingElseVerbatim) {
  EXPECT_EQ(describedOptional(std::nullopt), "nil");
  EXPECT_EQ(describedOptional("say \"hi\" C:\\ a\tb\nc\rd\0e \a\x7f 100% Café"s),
            R"(Optional("say \"hi\" C:\\ a\tb\nc\rd\0e \u{7}\u{7f} 100% Café"))");
  CapturedLog log;
  // Only a final line break ends the line; the log never holds an empty line.
  for (const char* message : {"x\r\n", "two\n\n", "\n"}) logMessage(message);
  std::thread([] { logMessage("%s\rforged\n"); }).join();  // names the main thread all the same
  const std::string pid = std::to_string(getpid());
  const std::string prefix =
      R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} Brevinor\[)" + pid + ":" + pid + R"(\] )";
  EXPECT_TRUE(
      std::regex_search(log.raw(), std::regex("^" + prefix + "x\n" + prefix + R"(two\\n\n)" +
                                              prefix + "\n" + prefix + R"(%s\\rforged\n)")));
}
