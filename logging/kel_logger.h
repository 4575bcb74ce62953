#pragma once

#include <cstdint>
#include <string>

namespace brevinor {

/// Names the log's files, rotates them when the current one has grown past 2 MiB, and sends
/// standard error and standard output into the current file.
///
/// A per-user log lives in the agent's user-logs folder, as <name>_<login><index>.log; an agent
/// log in the logs folder, as <name><index>.log. Index 0 is the current file, 1 to 10 older ones.
class KelLogger {
 public:
  /// The current file grows past this many bytes before a run rotates it.
  static constexpr std::uint64_t kRotationThreshold = 2097152;
  /// The oldest kept file's index; a file there is deleted by the next rotation.
  static constexpr std::int64_t kOldestIndex = 10;

  /// Reads the log folder and the login name; touches no file.
  KelLogger(const std::string& fileName, bool isUserLog);

  /// Rotates when the current file is over the threshold, then appends standard error and
  /// standard output to the current file. When that file cannot be used safely, both streams
  /// stay exactly as they were. Never reports a failure.
  static void changeLogStream(const std::string& fileName, bool isUserLog);

  /// Shifts the user's own files from `index` upwards by one (the oldest is deleted), stopping
  /// at the first missing index. An index held by anything else (another user's file, a link, a
  /// directory) is stepped over and left alone. A move never replaces an existing file, so a
  /// failure leaves everything below it in place; failures are dropped silently.
  void rotateLogToNextIndex(std::int64_t index) const;

  /// The size of the current file's entry in bytes (a link's own size), 0 when unreadable.
  std::uint64_t getLogFileSize() const;

  const std::string& initialLogFile() const { return initialLogFile_; }
  bool isUserLog() const { return isUserLog_; }
  const std::string& fileName() const { return fileName_; }

 private:
  std::string folder() const;

  std::string initialLogFile_;
  bool isUserLog_;
  std::string fileName_;
};

}  // namespace brevinor
