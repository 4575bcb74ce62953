#include "platform/property_list_value.h"

#include <plist/plist.h>

namespace brevinor {

std::string_view describedKind(PropertyListKind kind) {
  switch (kind) {
    case PropertyListKind::boolean:
      return "a boolean";
    case PropertyListKind::integer:
      return "an integer";
    case PropertyListKind::real:
      return "a real";
    case PropertyListKind::string:
      return "a string";
    case PropertyListKind::date:
      return "a date";
    case PropertyListKind::data:
      return "data";
    case PropertyListKind::array:
      return "an array";
    case PropertyListKind::dictionary:
      return "a dictionary";
    case PropertyListKind::other:
      break;
  }
  return "an unsupported value";
}

PropertyListKind PropertyListValue::kind() const {
  switch (plist_get_node_type(node_)) {
    case PLIST_BOOLEAN:
      return PropertyListKind::boolean;
    case PLIST_UINT:
      return PropertyListKind::integer;
    case PLIST_REAL:
      return PropertyListKind::real;
    case PLIST_STRING:
      return PropertyListKind::string;
    case PLIST_DATE:
      return PropertyListKind::date;
    case PLIST_DATA:
      return PropertyListKind::data;
    case PLIST_ARRAY:
      return PropertyListKind::array;
    case PLIST_DICT:
      return PropertyListKind::dictionary;
    default:
      return PropertyListKind::other;
  }
}

std::optional<bool> PropertyListValue::boolean() const {
  if (kind() != PropertyListKind::boolean) return std::nullopt;
  std::uint8_t value = 0;
  plist_get_bool_val(node_, &value);
  return value != 0;
}

std::optional<std::int64_t> PropertyListValue::integer() const {
  if (kind() != PropertyListKind::integer) return std::nullopt;
  std::uint64_t bits = 0;
  plist_get_uint_val(node_, &bits);
  return static_cast<std::int64_t>(bits);
}

std::optional<double> PropertyListValue::real() const {
  if (kind() != PropertyListKind::real) return std::nullopt;
  double value = 0;
  plist_get_real_val(node_, &value);
  return value;
}

std::optional<std::string_view> PropertyListValue::string() const {
  if (kind() != PropertyListKind::string) return std::nullopt;
  // The pointer getter, not the copying one: the copying one asserts on an embedded NUL.
  std::uint64_t length = 0;
  const char* text = plist_get_string_ptr(node_, &length);
  if (!text) return std::nullopt;
  return std::string_view(text, static_cast<std::size_t>(length));
}

std::optional<PropertyListValue> PropertyListValue::lookup(std::string_view key) const {
  if (kind() != PropertyListKind::dictionary) return std::nullopt;
  if (key.find('\0') != std::string_view::npos) return std::nullopt;
  plist_t item = plist_dict_get_item(node_, std::string(key).c_str());
  if (!item) return std::nullopt;
  return PropertyListValue(item);
}

}  // namespace brevinor
