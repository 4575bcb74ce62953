#include "tests/unit/support/captured_log.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <regex>
#include <sstream>

namespace brevinor::testing {

CapturedLog::CapturedLog() {
  char name[] = "/tmp/brevinor-log-XXXXXX";
  file_ = mkstemp(name);
  unlink(name);
  std::fflush(stderr);
  savedStderr_ = dup(STDERR_FILENO);
  dup2(file_, STDERR_FILENO);
}

CapturedLog::~CapturedLog() {
  std::fflush(stderr);
  dup2(savedStderr_, STDERR_FILENO);
  close(savedStderr_);
  close(file_);
}

std::string CapturedLog::raw() const {
  std::string content;
  char buffer[4096];
  for (off_t offset = 0;;) {
    const ssize_t n = pread(file_, buffer, sizeof buffer, offset);
    if (n <= 0) break;
    content.append(buffer, static_cast<size_t>(n));
    offset += n;
  }
  return content;
}

std::vector<std::string> CapturedLog::messages() const {
  static const std::regex prefix(
      R"(^\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}\.\d{3} Brevinor\[\d+:\d+\] )");
  std::vector<std::string> result;
  std::istringstream lines(raw());
  for (std::string line; std::getline(lines, line);) {
    result.push_back(std::regex_replace(line, prefix, "", std::regex_constants::format_first_only));
  }
  return result;
}

}  // namespace brevinor::testing
