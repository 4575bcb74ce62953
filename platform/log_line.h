#pragma once

#include <chrono>
#include <string_view>

namespace brevinor {

/// Writes one message as one line on standard error, behind the prefix
/// "YYYY-MM-DD HH:MM:SS.mmm Brevinor[<pid>:<thread id>] " (local time). The thread id is always
/// the process's main thread (whose id is the pid), whichever thread writes: log readers group a
/// run's lines by it, as they would a single-threaded run's. The message is written verbatim
/// (nothing in it is interpreted), except that a line feed or carriage return inside it is
/// written as the two characters \n or \r, so one message is always exactly one line. One final
/// line feed (or carriage return and line feed) is the line's own end, not an escape. The whole
/// line goes out in one write(2), so lines of concurrent writers to the same append-mode file
/// never interleave. A failed write is dropped.
void logMessage(std::string_view message);

/// The same, stamped with the time the message was said: for a line held back and written later.
void logMessage(std::string_view message, std::chrono::system_clock::time_point said);

}  // namespace brevinor
