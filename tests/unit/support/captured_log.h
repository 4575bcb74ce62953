#pragma once

#include <string>
#include <vector>

namespace brevinor::testing {

/// Sends standard error into a temporary file while alive, so that a test can read back the
/// log lines written meanwhile. Standard error is restored afterwards.
class CapturedLog {
 public:
  CapturedLog();
  ~CapturedLog();
  CapturedLog(const CapturedLog&) = delete;
  CapturedLog& operator=(const CapturedLog&) = delete;

  /// Everything written so far, exactly as written.
  std::string raw() const;
  /// The messages written so far, one per line, without the line prefix.
  std::vector<std::string> messages() const;

 private:
  int savedStderr_;
  int file_;
};

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
