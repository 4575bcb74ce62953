#include "platform/log_line.h"

#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>

namespace brevinor {
namespace {

std::string linePrefix(std::chrono::system_clock::time_point said) {
  using namespace std::chrono;
  const std::time_t seconds = system_clock::to_time_t(said);
  const auto millis = duration_cast<milliseconds>(said.time_since_epoch()).count() % 1000;
  std::tm local{};
  localtime_r(&seconds, &local);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
  // Only numbers go through the format; the message itself is appended afterwards, as bytes. The
  // main thread's id is the pid: every line names it, whichever thread writes.
  const int pid = static_cast<int>(getpid());
  char prefix[96];
  std::snprintf(prefix, sizeof prefix, "%s.%03d Brevinor[%d:%d] ", stamp, static_cast<int>(millis),
                pid, pid);
  return prefix;
}

}  // namespace

void logMessage(std::string_view message) {
  logMessage(message, std::chrono::system_clock::now());
}

void logMessage(std::string_view message, std::chrono::system_clock::time_point said) {
  // A message that ends in a line break (ps's output does) ends its line there; "\r\n" is one
  // such break. Only that last break is taken as the line's end, so one more before it stays
  // visible as an escape and the log never holds an empty line.
  if (message.ends_with("\r\n")) {
    message.remove_suffix(2);
  } else if (message.ends_with('\n')) {
    message.remove_suffix(1);
  }
  std::string line = linePrefix(said);
  line.reserve(line.size() + message.size() + 1);
  // A line break inside a message would let a crafted name or text forge whole log lines, so
  // the two characters that end a line are written as visible escapes; all else is verbatim.
  for (const char c : message) {
    if (c == '\n') {
      line += "\\n";
    } else if (c == '\r') {
      line += "\\r";
    } else {
      line += c;
    }
  }
  line.push_back('\n');
  // One write carries the whole line; the loop only finishes a write that a signal or a full
  // pipe cut short.
  std::string_view rest = line;
  while (!rest.empty()) {
    const ssize_t written = ::write(STDERR_FILENO, rest.data(), rest.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return;
    }
    rest.remove_prefix(static_cast<size_t>(written));
  }
}

}  // namespace brevinor
