#pragma once

#include <string>

namespace brevinor {

/// Opens the log file at the path for appending, creating it (mode 0600) when missing. The log
/// folder is shared by every user, so only an entry that is a regular file of the effective
/// user's own with a single link is used: a link, a FIFO, a directory, a hard-linked file or
/// another user's file is refused and never written. Returns the descriptor (close-on-exec),
/// or -1 when the file cannot be used.
int openOwnLogFile(const std::string& path);

/// Whether the entry at the path is a regular file (never a link) of the effective user's own:
/// the only kind of entry in the shared folder that rotation may move or remove.
bool isOwnFile(const std::string& path);

/// Points standard error and standard output at the descriptor and closes it. Descriptors 1
/// and 2 are open at every moment; nothing is closed when the descriptor is -1.
void redirectStandardStreams(int descriptor);

}  // namespace brevinor
