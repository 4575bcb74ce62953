#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace brevinor {

enum class PropertyListKind {
  boolean,
  integer,
  real,
  string,
  date,
  data,
  array,
  dictionary,
  other
};

/// The kind with its article, as error texts name it: "a boolean", "an array", "data"...
std::string_view describedKind(PropertyListKind kind);

/// A view of one value inside a parsed property list; valid while its document lives. Each
/// typed getter answers none when the value is of another kind.
class PropertyListValue {
 public:
  /// `node` is a libplist node (plist_t), not owned.
  explicit PropertyListValue(void* node) : node_(node) {}

  PropertyListKind kind() const;
  std::optional<bool> boolean() const;
  /// Integers are read as signed 64-bit: libplist stores -1 as the bits of 2^64 - 1.
  std::optional<std::int64_t> integer() const;
  std::optional<double> real() const;
  std::optional<std::string_view> string() const;
  /// The value under exactly `key` when this is a dictionary; none when the key is absent, when
  /// this is not a dictionary, or when the key holds NUL (no stored key can).
  std::optional<PropertyListValue> lookup(std::string_view key) const;

 private:
  void* node_;
};

}  // namespace brevinor
