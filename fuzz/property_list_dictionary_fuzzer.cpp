// The property-list reader's dictionary face on arbitrary file contents: the guard, libplist
// behind it, and every typed getter and lookup on whatever document comes out.
#include <array>
#include <string>

#include "fuzz/fuzz_files.h"
#include "platform/property_list_document.h"
#include "tests/unit/support/temporary_folder.h"

namespace brevinor {
namespace {

// Keys the program itself looks up, plus the empty key and one ordinary text.
constexpr std::array<std::string_view, 9> kKeys{"ApplicationRunningPrompt",
                                                "Lunmark",
                                                "Editor",
                                                "IS_REBRANDED",
                                                "PRODUCT_NAME",
                                                "failureNotificationMessage",
                                                "",
                                                "a",
                                                std::string_view("a\0b", 3)};
constexpr int kMaxDepth = 4;

// Each getter answers exactly for its own kind; a string's bytes are all readable.
void checkValue(const PropertyListValue& value, int depth) {
  const PropertyListKind kind = value.kind();
  FUZZ_CHECK(value.boolean().has_value() == (kind == PropertyListKind::boolean));
  FUZZ_CHECK(value.integer().has_value() == (kind == PropertyListKind::integer));
  FUZZ_CHECK(value.real().has_value() == (kind == PropertyListKind::real));
  if (const auto text = value.string()) {
    FUZZ_CHECK(kind == PropertyListKind::string);
    volatile char sink = 0;
    for (const char c : *text) sink = sink ^ c;
  } else {
    FUZZ_CHECK(kind != PropertyListKind::string);
  }
  FUZZ_CHECK(!describedKind(kind).empty());
  for (const std::string_view key : kKeys) {
    const auto child = value.lookup(key);
    FUZZ_CHECK(!child || kind == PropertyListKind::dictionary);
    FUZZ_CHECK(!child || key.find('\0') == std::string_view::npos);
    if (child && depth < kMaxDepth) checkValue(*child, depth + 1);
  }
}

}  // namespace
}  // namespace brevinor

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace brevinor;
  static const testing::TemporaryFolder folder;
  static const std::string path = folder.path() + "/input.plist";
  fuzzing::writeWholeFile(path, fuzzing::bytesOf(data, size));

  const PropertyListReading reading = readPropertyListDictionary(path);
  if (!reading.document) {
    // Without a document there is always a reason, on one line.
    FUZZ_CHECK(!reading.failure.empty());
    FUZZ_CHECK(reading.failure.find_first_of("\r\n") == std::string::npos);
    return 0;
  }
  FUZZ_CHECK(reading.document->root().kind() == PropertyListKind::dictionary);
  checkValue(reading.document->root(), 0);
  return 0;
}
