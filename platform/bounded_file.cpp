#include "platform/bounded_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace brevinor {
namespace {

BoundedFileRead failed(std::string reason) {
  return {std::nullopt, std::move(reason)};
}

std::string tooLarge(std::size_t maxBytes) {
  return "larger than " + std::to_string(maxBytes) + " bytes";
}

/// Closes the descriptor on every way out.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

}  // namespace

BoundedFileRead readRegularFile(const std::string& path, std::size_t maxBytes) {
  // Non-blocking so that opening a FIFO with no writer returns at once; fstat then turns it away.
  const Descriptor file(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (file.get() < 0) return failed(std::strerror(errno));
  struct stat status {};
  if (fstat(file.get(), &status) != 0) return failed(std::strerror(errno));
  if (!S_ISREG(status.st_mode)) return failed("not a regular file");
  if (static_cast<std::size_t>(status.st_size) > maxBytes) return failed(tooLarge(maxBytes));

  // The size may change while we read: read up to one byte past the limit to notice a file that
  // grew, sizing the buffer from fstat and growing it only when the file did.
  std::string content(static_cast<std::size_t>(status.st_size) + 1, '\0');
  std::size_t filled = 0;
  for (;;) {
    if (filled == content.size()) {
      if (filled > maxBytes) break;
      content.resize(std::min(2 * content.size(), maxBytes + 1));
    }
    const ssize_t n = read(file.get(), content.data() + filled, content.size() - filled);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return failed(std::strerror(errno));
    if (n == 0) break;
    filled += static_cast<std::size_t>(n);
  }
  if (filled > maxBytes) return failed(tooLarge(maxBytes));
  content.resize(filled);
  return {std::move(content), {}};
}

}  // namespace brevinor
