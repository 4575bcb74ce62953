#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace brevinor {

// Limits on the work libplist would do, each well within 100 ms here for any file under the
// size cap, and far above what an honest file asks for.

/// The bytes that decoding `&` references in XML may move: libplist moves the rest of a text
/// after each reference, so each reference costs the bytes after it in its text. It moves about
/// 70 GB a second here, so this bound costs at most 45 ms, and a settings file carrying a shell
/// script of 150 KB and 19,000 references (2 GB moved, 25 ms) is read.
inline constexpr std::uint64_t kMaxXmlReferenceWork = std::uint64_t{3} << 30;
/// The most XML dictionaries and arrays that are not empty elements: libplist's work grows with
/// the square of their nesting, and each can nest in the one before.
inline constexpr std::size_t kMaxXmlContainers = 16'384;
/// The comparisons libplist's dictionary table may make while reading XML keys, weighted by key
/// length: keys that share one of its 4096 buckets are compared with each other.
inline constexpr std::uint64_t kMaxXmlKeyWork = std::uint64_t{1} << 25;
/// The deepest nesting of arrays and dictionaries in a binary property list.
inline constexpr std::size_t kMaxBinaryDepth = 512;
/// The most nodes a binary property list may become once parsed, shared references counted
/// as often as they are used (about 0.3 microseconds each here).
inline constexpr std::size_t kMaxBinaryNodes = 200'000;
/// What libplist allocates for one parsed node of a binary list besides its payload, measured:
/// 96 bytes for the node and its data, 32 for a container's list of children or for the
/// allocator's rounding of a payload.
inline constexpr std::uint64_t kBinaryNodeBytes = 128;
/// The most bytes libplist may allocate for a binary list: kBinaryNodeBytes a node plus the
/// payload of each string and data (four bytes a UTF-16 unit, its buffer for UTF-8), copied anew
/// at every reference. With the file and the guard's own tables, one read stays within 64 MiB.
inline constexpr std::uint64_t kMaxBinaryBytes = std::uint64_t{32} << 20;

/// Why these bytes must not reach libplist, as one line (e.g. "nesting deeper than 512"), or
/// none when they are within the limits above. Bytes that start with "bplist00" are judged as a
/// binary property list: its structure is walked in full without being parsed. Any other bytes
/// are judged as XML: no NUL byte, and the work estimated from above without parsing. Within the
/// limits, libplist may still find the bytes malformed.
std::optional<std::string> propertyListRefusal(std::string_view bytes);

}  // namespace brevinor
