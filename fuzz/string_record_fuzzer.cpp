// The strict record decode with two keys, as the rebranding reader asks it, checked against the
// dictionary reader on the same bytes.
#include <array>
#include <string>

#include "fuzz/fuzz_files.h"
#include "platform/property_list_document.h"
#include "platform/property_list_string_record.h"
#include "tests/unit/support/temporary_folder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace brevinor;
  static const testing::TemporaryFolder folder;
  static const std::string path = folder.path() + "/record.plist";
  constexpr std::array<std::string_view, 2> keys{"IS_REBRANDED", "PRODUCT_NAME"};
  fuzzing::writeWholeFile(path, fuzzing::bytesOf(data, size));

  const StringRecordReading record = readStringRecord(path, keys);
  FUZZ_CHECK(record.values.has_value() == record.failure.empty());
  FUZZ_CHECK(record.failure.find_first_of("\r\n") == std::string::npos);

  // The record holds a value exactly when the dictionary reader finds each key absent or a
  // string, and then holds those very texts.
  const PropertyListReading reading = readPropertyListDictionary(path);
  bool allStrings = reading.document.has_value();
  for (std::size_t i = 0; allStrings && i < keys.size(); ++i) {
    const auto value = reading.document->lookup(keys[i]);
    if (!value) {
      if (record.values) FUZZ_CHECK(!(*record.values)[i]);
      continue;
    }
    const auto text = value->string();
    allStrings = text.has_value();
    if (text && record.values) FUZZ_CHECK((*record.values)[i] == std::string(*text));
  }
  FUZZ_CHECK(record.values.has_value() == allStrings);
  if (record.values) FUZZ_CHECK(record.values->size() == keys.size());
  return 0;
}
