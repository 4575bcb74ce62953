#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace brevinor {

/// The most of each XML construct that libplist is given: `<dict`, `<array` and `<key` are
/// counted separately, and so are `&` references.
inline constexpr std::size_t kMaxXmlOccurrences = 10'000;
/// The deepest nesting of arrays and dictionaries in a binary property list.
inline constexpr std::size_t kMaxBinaryDepth = 512;
/// The most nodes a binary property list may become once parsed, shared references counted
/// as often as they are used.
inline constexpr std::size_t kMaxBinaryNodes = 100'000;

/// Why these bytes must not reach libplist, as one line (e.g. "nesting deeper than 512"), or
/// none when they are within the limits above. Bytes that start with "bplist00" are judged as a
/// binary property list: its structure is walked in full without being parsed. Any other bytes
/// are judged as XML: no NUL byte and no construct beyond its count. Within the limits, libplist
/// may still find the bytes malformed.
std::optional<std::string> propertyListRefusal(std::string_view bytes);

}  // namespace brevinor
