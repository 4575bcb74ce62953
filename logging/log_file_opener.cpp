#include "logging/log_file_opener.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace brevinor {

int openOwnLogFile(const std::string& path) {
  // O_NONBLOCK: a FIFO planted at the name must not hang the open.
  int descriptor;
  do {
    descriptor = open(path.c_str(),
                      O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
  } while (descriptor == -1 && errno == EINTR);
  if (descriptor == -1) return -1;

  struct stat status;
  const bool usable = fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode) &&
                      status.st_uid == geteuid() && status.st_nlink == 1;
  if (!usable) {
    close(descriptor);
    return -1;
  }
  // Back to blocking writes, so that a line is never cut short.
  fcntl(descriptor, F_SETFL, O_WRONLY | O_APPEND);
  return descriptor;
}

bool isOwnFile(const std::string& path) {
  struct stat status;
  return lstat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) && status.st_uid == geteuid();
}

void redirectStandardStreams(int descriptor) {
  if (descriptor < 0) return;
  // dup2 replaces each stream in one step, unlike freopen, which closes it first and leaves it
  // closed when the open fails. The duplicates do not carry close-on-exec: children inherit the
  // log as their standard error.
  dup2(descriptor, STDERR_FILENO);
  dup2(descriptor, STDOUT_FILENO);
  if (descriptor > STDERR_FILENO) close(descriptor);
}

}  // namespace brevinor
