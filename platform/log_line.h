#pragma once

#include <string_view>

namespace brevinor {

/// Writes one message as one line on standard error, behind the prefix
/// "YYYY-MM-DD HH:MM:SS.mmm Brevinor[<pid>:<thread id>] " (local time). The message is written
/// verbatim (nothing in it is interpreted), except that a line feed or carriage return inside it
/// is written as the two characters \n or \r, so one message is always exactly one line. One
/// final line feed (or carriage return and line feed) is the line's own end, not an escape. The
/// whole line goes out in one write(2), so lines of concurrent writers to the same append-mode
/// file never interleave. A failed write is dropped.
void logMessage(std::string_view message);

}  // namespace brevinor
