#pragma once

#include <string>

namespace brevinor::testing {

/// A folder of the test's own, removed with everything in it when the object goes.
class TemporaryFolder {
 public:
  TemporaryFolder();
  ~TemporaryFolder();
  TemporaryFolder(const TemporaryFolder&) = delete;
  TemporaryFolder& operator=(const TemporaryFolder&) = delete;

  const std::string& path() const { return path_; }
  /// Creates a file (and its parent folders) below the folder; returns its full path.
  std::string writeFile(const std::string& relativePath, const std::string& content = "") const;
  std::string makeFolder(const std::string& relativePath) const;

 private:
  std::string path_;
};

}  // namespace brevinor::testing
