#include "platform/standard_streams.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace brevinor {

void ensureStandardStreamsOpen() {
  for (int descriptor = STDIN_FILENO; descriptor <= STDERR_FILENO; ++descriptor) {
    if (fcntl(descriptor, F_GETFD) != -1 || errno != EBADF) continue;
    // open returns the lowest free descriptor, which is this one.
    const int opened = open("/dev/null", O_RDWR);
    if (opened != -1 && opened != descriptor) close(opened);
  }
}

}  // namespace brevinor
