#include "platform/property_list_string_record.h"

#include "platform/property_list_document.h"

namespace brevinor {

StringRecordReading readStringRecord(const std::string& path,
                                     std::span<const std::string_view> keys) {
  const PropertyListReading reading = readPropertyListDictionary(path);
  if (!reading.document) return {std::nullopt, reading.failure};

  std::vector<std::optional<std::string>> values;
  for (const std::string_view key : keys) {
    const auto value = reading.document->lookup(key);
    if (!value) {
      values.emplace_back();
      continue;
    }
    const auto text = value->string();
    if (!text) {
      return {std::nullopt, "value for key \"" + std::string(key) + "\" is " +
                                std::string(describedKind(value->kind())) + ", not a string"};
    }
    values.emplace_back(std::string(*text));
  }
  return {std::move(values), {}};
}

}  // namespace brevinor
