#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/property_list_value.h"

namespace brevinor {

/// The most bytes a property list file may hold.
inline constexpr std::size_t kMaxPropertyListFileBytes = 1024 * 1024;

struct PropertyListReading;
PropertyListReading readPropertyListDictionary(const std::string& path);

/// A parsed property list whose root is a dictionary; owns every value viewed from it.
class PropertyListDocument {
 public:
  PropertyListValue root() const { return PropertyListValue(root_.get()); }
  /// The root's value under exactly `key`, or none when absent.
  std::optional<PropertyListValue> lookup(std::string_view key) const { return root().lookup(key); }

 private:
  struct Free {
    void operator()(void* node) const;
  };
  explicit PropertyListDocument(void* root) : root_(root) {}
  friend PropertyListReading readPropertyListDictionary(const std::string& path);

  std::unique_ptr<void, Free> root_;
};

/// A document, or why there is none.
struct PropertyListReading {
  std::optional<PropertyListDocument> document;
  std::string failure;  ///< without a document: one line, e.g. "not a property list"
};

/// Reads the XML or binary property list at `path` whose root is a dictionary. Without one,
/// the failure is "cannot read <path>: <why>", "refused: <limit>" (see property_list_guard.h),
/// "not a property list" or "the root is <kind>, not a dictionary".
PropertyListReading readPropertyListDictionary(const std::string& path);

}  // namespace brevinor
