#include "logging/kel_logger.h"

#include <chrono>

#include "agent/kel_agent.h"
#include "logging/log_file_name.h"
#include "logging/log_file_opener.h"
#include "logging/rotation_lock.h"
#include "platform/file_system.h"
#include "platform/user_name.h"

namespace brevinor {
namespace {

// Rotation takes well under a millisecond; only the user's own runs can hold the lock, and one
// that keeps it longer than this is stuck: this run then appends to the current file instead.
constexpr std::chrono::milliseconds kRotationLockPatience{2000};

}  // namespace

KelLogger::KelLogger(const std::string& fileName, bool isUserLog)
    : isUserLog_(isUserLog), fileName_(logBaseName(fileName, isUserLog, loginName())) {
  initialLogFile_ = logFilePath(folder(), fileName_, 0);
}

std::string KelLogger::folder() const {
  return isUserLog_ ? KelAgent::userLogsPath() : KelAgent::logsPath();
}

void KelLogger::changeLogStream(const std::string& fileName, bool isUserLog) {
  const KelLogger logger(fileName, isUserLog);
  if (logger.getLogFileSize() > kRotationThreshold) {
    // Runs started together must not each shift the files: the first rotates, the others find
    // a small current file (or none yet) once they get the lock.
    const RotationLock lock(logger.initialLogFile(), kRotationLockPatience);
    if (lock.mayRotate() && logger.getLogFileSize() > kRotationThreshold) {
      logger.rotateLogToNextIndex(0);
    }
  }
  redirectStandardStreams(openOwnLogFile(logger.initialLogFile()));
}

void KelLogger::rotateLogToNextIndex(std::int64_t index) const {
  const std::string dir = folder();
  const std::string source = logFilePath(dir, fileName_, index);
  if (!isOwnFile(source)) return;
  // Anyone may put an entry at one of these names in the shared folder (and login lab's index 10
  // is login lab1's current file): such an index is stepped over, never moved or removed, so it
  // can neither stop the rotation nor lose its owner anything. The names stay the same and no
  // index above the oldest is made; the user then keeps fewer older files.
  std::int64_t next = index + 1;
  while (next <= kOldestIndex && entryExists(logFilePath(dir, fileName_, next)) &&
         !isOwnFile(logFilePath(dir, fileName_, next))) {
    ++next;
  }
  if (next > kOldestIndex) {
    removeEntry(source);
    return;
  }
  rotateLogToNextIndex(next);
  moveWithoutReplacing(source, logFilePath(dir, fileName_, next));
}

std::uint64_t KelLogger::getLogFileSize() const {
  return entrySize(initialLogFile_).value_or(0);
}

}  // namespace brevinor
