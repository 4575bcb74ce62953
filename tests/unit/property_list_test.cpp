#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/property_list_document.h"
#include "tests/unit/support/captured_log.h"
#include "tests/unit/support/plist_fixtures.h"

namespace brevinor {
namespace {

using namespace std::string_literals;
using testing::dictionaryOf;
using testing::PlistForm;
using testing::serialized;
using testing::TemporaryFolder;

class PropertyListValueTest : public ::testing::TestWithParam<PlistForm> {
 protected:
  PropertyListDocument read(plist_t root) {
    auto reading =
        readPropertyListDictionary(folder.writeFile("values.plist", serialized(root, GetParam())));
    EXPECT_EQ(reading.failure, "");
    return std::move(*reading.document);
  }
  TemporaryFolder folder;
};

TEST_P(PropertyListValueTest, EachKindAnswersOnlyItsOwnGetter) {
  const auto document = read(dictionaryOf({
      {"yes", plist_new_bool(1)},
      {"minus one", plist_new_uint(static_cast<std::uint64_t>(-1))},
      {"smallest", plist_new_uint(static_cast<std::uint64_t>(INT64_MIN))},
      {"half", plist_new_real(0.5)},
      {"text", plist_new_string("Line\n<b>&amp;</b> 100%")},
      {"empty", plist_new_string("")},
      {"when", plist_new_date(0, 0)},
      {"bytes", plist_new_data("ab", 2)},
      {"list", plist_new_array()},
      {"inner", dictionaryOf({{"deeper", plist_new_string("found")}})},
  }));
  using Kind = PropertyListKind;
  const struct {
    const char* key;
    Kind kind;
  } kinds[] = {{"yes", Kind::boolean}, {"minus one", Kind::integer}, {"half", Kind::real},
               {"text", Kind::string}, {"when", Kind::date},         {"bytes", Kind::data},
               {"list", Kind::array},  {"inner", Kind::dictionary}};
  for (const auto& [key, kind] : kinds) {
    const auto value = document.lookup(key);
    ASSERT_TRUE(value.has_value()) << key;
    EXPECT_EQ(value->kind(), kind) << key;
    EXPECT_EQ(value->boolean().has_value(), kind == Kind::boolean) << key;
    EXPECT_EQ(value->integer().has_value(), kind == Kind::integer) << key;
    EXPECT_EQ(value->real().has_value(), kind == Kind::real) << key;
    EXPECT_EQ(value->string().has_value(), kind == Kind::string) << key;
    EXPECT_EQ(value->lookup("deeper").has_value(), kind == Kind::dictionary) << key;
  }
  EXPECT_EQ(document.lookup("yes")->boolean(), true);
  EXPECT_EQ(document.lookup("minus one")->integer(), -1);
  EXPECT_EQ(document.lookup("smallest")->integer(), INT64_MIN);
  EXPECT_EQ(document.lookup("half")->real(), 0.5);
  EXPECT_EQ(document.lookup("text")->string(), "Line\n<b>&amp;</b> 100%");
  EXPECT_EQ(document.lookup("empty")->string(), "");
  EXPECT_EQ(document.lookup("inner")->lookup("deeper")->string(), "found");
  EXPECT_EQ(document.lookup("Yes"), std::nullopt);
  EXPECT_EQ(document.lookup("yes\0"s), std::nullopt);
  EXPECT_EQ(document.lookup("inner")->lookup("deeper\0"s), std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(Forms, PropertyListValueTest,
                         ::testing::Values(PlistForm::xml, PlistForm::binary),
                         [](const auto& info) { return testing::formName(info.param); });

TEST(PropertyListDocumentTest, FailuresAreOneLineEach) {
  TemporaryFolder folder;
  const struct {
    std::string bytes;
    std::string failure;
  } cases[] = {
      {"", "not a property list"},
      {"{ \"ApplicationRunningPrompt\": true }", "not a property list"},
      {"bplist00", "refused: binary data too short"},
      {serialized(plist_new_string("x"), PlistForm::xml), "the root is a string, not a dictionary"},
      {serialized(plist_new_uint(1), PlistForm::binary),
       "the root is an integer, not a dictionary"},
  };
  for (const auto& c : cases) {
    const auto reading = readPropertyListDictionary(folder.writeFile("file.plist", c.bytes));
    EXPECT_FALSE(reading.document.has_value()) << c.bytes;
    EXPECT_EQ(reading.failure, c.failure) << c.bytes;
  }
  const std::string oddPath = folder.path() + "/two\nlines.plist";
  EXPECT_EQ(readPropertyListDictionary(oddPath).failure,
            "cannot read " + folder.path() + "/two\\nlines.plist: No such file or directory");
}

}  // namespace
}  // namespace brevinor
