#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace brevinor {

/// Whether anything (a file, a directory, or whatever a link leads to) exists at the path.
/// An error while looking counts as "nothing there".
bool fileExists(const std::string& path);

/// Whether an entry exists at the path itself; a link counts as present, wherever it points.
bool entryExists(const std::string& path);

/// The size of the entry itself (a link's own size, never its target's); none when it cannot
/// be examined.
std::optional<std::uint64_t> entrySize(const std::string& path);

/// Renames the entry, never replacing an existing target and never following a link. Where
/// the file system cannot rename without replacing, links the new name and then removes the
/// old one. Returns false, with both names as they were, when the target exists or the move
/// fails.
bool moveWithoutReplacing(const std::string& from, const std::string& to);

/// Removes the entry itself: a file or a link, never a directory's contents. Returns false
/// when it cannot.
bool removeEntry(const std::string& path);

}  // namespace brevinor
