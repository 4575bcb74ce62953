#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace brevinor {

/// The texts of a record's keys, or why there are none.
struct StringRecordReading {
  /// One entry per key, in the keys' order: the text, or none when the key is absent.
  std::optional<std::vector<std::optional<std::string>>> values;
  std::string failure;  ///< without values: one line
};

/// Reads the property list at `path` (see readPropertyListDictionary) and takes each of `keys`
/// from its root: absent gives none, a string gives its text exactly as stored. The first key
/// holding anything else fails the whole record with, e.g.,
/// `value for key "NAME" is a boolean, not a string`.
StringRecordReading readStringRecord(const std::string& path,
                                     std::span<const std::string_view> keys);

}  // namespace brevinor
