#include <gtest/gtest.h>

#include <cstdint>

#include "platform/property_list_document.h"
#include "tests/unit/support/captured_log.h"
#include "tests/unit/support/plist_fixtures.h"
#include "tests/unit/support/temporary_folder.h"

namespace brevinor {
namespace {

using namespace std::string_literals;

TEST(PropertyListDocumentTest, LookupIsExactAndIntegersKeepTheirSign) {
  testing::TemporaryFolder folder;
  const std::string inner = "<dict><key>k</key><integer>-9223372036854775808</integer></dict>";
  for (const auto form : testing::kPlistForms) {
    const auto reading = readPropertyListDictionary(
        folder.writeFile("values.plist", testing::dictionaryPlist("<key>k</key>" + inner, form)));
    const auto outer = reading.document.value().lookup("k").value();
    EXPECT_EQ(outer.lookup("k").value().integer(), INT64_MIN);
    // libplist would stop at the NUL and find "k".
    EXPECT_EQ(outer.lookup("k\0"s), std::nullopt);
    EXPECT_EQ(reading.document->lookup("K"), std::nullopt);
    EXPECT_EQ(outer.lookup("k")->lookup("k"), std::nullopt);
  }
}

}  // namespace
}  // namespace brevinor
