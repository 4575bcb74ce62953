// The property-list reader on arbitrary file contents: the guard, libplist behind it and lookups
// on whatever document comes out, and the strict record decode of the rebranding's two keys
// checked against the dictionary on the same bytes. The document a read keeps, with all else it
// holds, stays within 64 MiB of heap, as the sanitizer's allocator counts it.
#include <sanitizer/allocator_interface.h>

#include <array>
#include <cstdlib>

#include "platform/property_list_document.h"
#include "platform/property_list_string_record.h"
#include "tests/unit/support/test_support.h"

#define FUZZ_CHECK(condition) ((condition) ? void() : std::abort())

using namespace brevinor;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const TemporaryFolder folder;
  static constexpr std::array<std::string_view, 2> keys{"IS_REBRANDED", "PRODUCT_NAME"};
  const std::string path = folder.write("input.plist", {reinterpret_cast<const char*>(data), size});
  // The record first: its document is gone before the dictionary's is read, so that one read
  // at a time is held to the memory limits.
  const std::size_t heap = __sanitizer_get_current_allocated_bytes();
  const StringRecordReading record = readStringRecord(path, keys);
  const PropertyListReading reading = readPropertyListDictionary(path);
  FUZZ_CHECK(__sanitizer_get_current_allocated_bytes() <= heap + (64 << 20));
  FUZZ_CHECK(reading.failure.find_first_of("\r\n") == std::string::npos);
  FUZZ_CHECK(reading.document.has_value() == reading.failure.empty());
  // The record holds values exactly when each key is absent or a string, and then those texts.
  bool strings = reading.document.has_value();
  for (std::size_t i = 0; reading.document && i < keys.size(); ++i) {
    const auto value = reading.document->lookup(keys[i]);
    const auto text = value ? value->string() : std::nullopt;
    strings = strings && (!value || text);
    if (record.values && strings) FUZZ_CHECK((*record.values)[i] == text);
  }
  FUZZ_CHECK(record.values.has_value() == strings && record.failure.empty() == strings);
  return 0;
}
