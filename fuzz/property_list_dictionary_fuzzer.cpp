// The property-list reader on arbitrary file contents: the guard, libplist behind it, every
// typed getter and lookup on whatever document comes out, and the strict record decode of the
// rebranding's two keys checked against the dictionary on the same bytes.
#include <array>
#include <cstdlib>

#include "platform/property_list_document.h"
#include "platform/property_list_string_record.h"
#include "tests/unit/support/test_support.h"

#define FUZZ_CHECK(condition) ((condition) ? void() : std::abort())

using namespace brevinor;

// Keys the program looks up, the empty key and one holding NUL.
constexpr std::array<std::string_view, 8> kKeys{"IS_REBRANDED",
                                                "PRODUCT_NAME",
                                                "ApplicationRunningPrompt",
                                                "Lunmark",
                                                "Editor",
                                                "",
                                                "failureNotificationMessage",
                                                std::string_view("a\0b", 3)};

// Each getter answers exactly for its own kind; a string's bytes are all readable.
void checkValue(const PropertyListValue& value, int depth) {
  const PropertyListKind kind = value.kind();
  FUZZ_CHECK(value.boolean().has_value() == (kind == PropertyListKind::boolean));
  FUZZ_CHECK(value.integer().has_value() == (kind == PropertyListKind::integer));
  FUZZ_CHECK(value.real().has_value() == (kind == PropertyListKind::real));
  const auto text = value.string();
  FUZZ_CHECK(text.has_value() == (kind == PropertyListKind::string));
  FUZZ_CHECK(!text || std::string(*text).size() == text->size());
  for (const std::string_view key : kKeys) {
    const auto child = value.lookup(key);
    FUZZ_CHECK(!child || (kind == PropertyListKind::dictionary && key.find('\0') == key.npos));
    if (child && depth < 4) checkValue(*child, depth + 1);
  }
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const testing::TemporaryFolder folder;
  const std::string path =
      folder.write("input.plist", std::string(reinterpret_cast<const char*>(data), size));
  const PropertyListReading reading = readPropertyListDictionary(path);
  const StringRecordReading record = readStringRecord(path, std::span(kKeys).first(2));
  FUZZ_CHECK(reading.failure.find_first_of("\r\n") == std::string::npos);
  FUZZ_CHECK(reading.document.has_value() == reading.failure.empty());
  FUZZ_CHECK(record.values.has_value() == record.failure.empty());
  // The record holds values exactly when each key is absent or a string, and then those texts.
  bool strings = reading.document.has_value();
  for (std::size_t i = 0; strings && i < 2; ++i) {
    const auto value = reading.document->lookup(kKeys[i]);
    const auto text = value ? value->string() : std::nullopt;
    strings = !value || text;
    if (record.values)
      FUZZ_CHECK((*record.values)[i] == (text ? std::optional(std::string(*text)) : std::nullopt));
  }
  FUZZ_CHECK(record.values.has_value() == strings);
  if (reading.document) checkValue(reading.document->root(), 0);
  return 0;
}
