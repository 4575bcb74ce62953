// The property-list reader on arbitrary file contents: the guard, libplist behind it, lookups and
// getters on whatever document comes out, and the strict record decode of the rebranding's two
// keys checked against the dictionary on the same bytes.
#include <array>
#include <cstdlib>

#include "platform/property_list_document.h"
#include "platform/property_list_string_record.h"
#include "tests/unit/support/test_support.h"

#define FUZZ_CHECK(condition) ((condition) ? void() : std::abort())

using namespace brevinor;

// The record's two keys, the program's other keys, the empty key and one holding NUL.
constexpr std::array<std::string_view, 7> kKeys{"IS_REBRANDED",
                                                "PRODUCT_NAME",
                                                "ApplicationRunningPrompt",
                                                "Lunmark",
                                                "Editor",
                                                "",
                                                std::string_view("a\0b", 3)};

/// Looks up every key four levels down and reads every text, for the sanitizers to watch.
void walk(const PropertyListValue& value, int depth = 0) {
  if (const auto text = value.string()) FUZZ_CHECK(std::string(*text).size() == text->size());
  for (const std::string_view key : kKeys) {
    if (const auto child = depth < 4 ? value.lookup(key) : std::nullopt) walk(*child, depth + 1);
  }
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const testing::TemporaryFolder folder;
  const std::string path = folder.write("input.plist", {reinterpret_cast<const char*>(data), size});
  const PropertyListReading reading = readPropertyListDictionary(path);
  const StringRecordReading record = readStringRecord(path, std::span(kKeys).first(2));
  FUZZ_CHECK(reading.failure.find_first_of("\r\n") == std::string::npos);
  FUZZ_CHECK(reading.document.has_value() == reading.failure.empty());
  // The record holds values exactly when each key is absent or a string, and then those texts.
  bool strings = reading.document.has_value();
  for (std::size_t i = 0; reading.document && i < 2; ++i) {
    const auto value = reading.document->lookup(kKeys[i]);
    const auto text = value ? value->string() : std::nullopt;
    strings = strings && (!value || text);
    if (record.values && strings) FUZZ_CHECK((*record.values)[i] == text);
  }
  FUZZ_CHECK(record.values.has_value() == strings && record.failure.empty() == strings);
  if (reading.document) walk(reading.document->root());
  return 0;
}
