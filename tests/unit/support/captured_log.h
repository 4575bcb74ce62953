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

}  // namespace brevinor::testing
