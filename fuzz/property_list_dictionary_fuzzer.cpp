// The property-list reader on arbitrary file contents: the guard, libplist behind it, the typed
// getters and lookups on whatever document comes out, and the strict record decode of the
// rebranding's two keys checked against the dictionary on the same bytes.
#include <array>
#include <cstdlib>

#include "platform/property_list_document.h"
#include "platform/property_list_string_record.h"
#include "tests/unit/support/test_support.h"

#define FUZZ_CHECK(condition) ((condition) ? void() : std::abort())

using namespace brevinor;

// The record's two keys first, then the other keys the program looks up, the empty key and one
// holding NUL.
constexpr std::array<std::string_view, 7> kKeys{"IS_REBRANDED",
                                                "PRODUCT_NAME",
                                                "ApplicationRunningPrompt",
                                                "Lunmark",
                                                "Editor",
                                                "",
                                                std::string_view("a\0b", 3)};

/// Each getter answers for its own kind only; the value's text, or none when not a string.
std::optional<std::string> checked(const PropertyListValue& value, int depth = 0) {
  const PropertyListKind kind = value.kind();
  FUZZ_CHECK(value.boolean().has_value() == (kind == PropertyListKind::boolean));
  FUZZ_CHECK(value.integer().has_value() == (kind == PropertyListKind::integer));
  FUZZ_CHECK(value.real().has_value() == (kind == PropertyListKind::real));
  for (const std::string_view key : kKeys) {
    const auto child = value.lookup(key);
    FUZZ_CHECK(!child || (kind == PropertyListKind::dictionary && key.find('\0') == key.npos));
    if (child && depth < 4) checked(*child, depth + 1);
  }
  const auto text = value.string();
  FUZZ_CHECK(text.has_value() == (kind == PropertyListKind::string));
  return text ? std::optional(std::string(*text)) : std::nullopt;
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
  if (!reading.document) return FUZZ_CHECK(!record.values), 0;
  checked(reading.document->root());
  // The record holds values exactly when each key is absent or a string, and then those texts.
  bool strings = true;
  for (std::size_t i = 0; i < 2; ++i) {
    const auto value = reading.document->lookup(kKeys[i]);
    const auto text = value ? checked(*value) : std::nullopt;
    strings = strings && (!value || text);
    if (record.values && strings) FUZZ_CHECK((*record.values)[i] == text);
  }
  FUZZ_CHECK(record.values.has_value() == strings);
  return 0;
}
