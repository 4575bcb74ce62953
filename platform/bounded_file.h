#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace brevinor {

/// The whole content of a file, or why it could not be had.
struct BoundedFileRead {
  std::optional<std::string> content;
  std::string failure;  ///< without content: the system's error text, "not a regular file" or
                        ///< "larger than N bytes"
};

/// Reads the regular file at `path` when it holds at most `maxBytes`. A FIFO, a device or a
/// directory is "not a regular file" and never waited on.
BoundedFileRead readRegularFile(const std::string& path, std::size_t maxBytes);

}  // namespace brevinor
