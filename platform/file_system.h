#pragma once

#include <string>

namespace brevinor {

/// Whether anything (a file, a directory, or whatever a link leads to) exists at the path.
/// An error while looking counts as "nothing there".
bool fileExists(const std::string& path);

}  // namespace brevinor
