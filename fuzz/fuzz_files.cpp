#include "fuzz/fuzz_files.h"

#include <fcntl.h>
#include <unistd.h>

namespace brevinor::fuzzing {

void writeWholeFile(const std::string& path, std::string_view bytes) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) std::abort();
  while (!bytes.empty()) {
    const ssize_t written = write(fd, bytes.data(), bytes.size());
    if (written <= 0) std::abort();
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  close(fd);
}

}  // namespace brevinor::fuzzing
