#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

namespace brevinor {

/// Runs the program at `launchPath` (no PATH search) with `arguments`, in a process group of its
/// own, and returns what it wrote to standard output, byte for byte. Standard input, standard
/// error, environment and working folder are inherited; the exit status is ignored.
///
/// The program's whole group is killed when `timeLimit` has passed or the output reaches
/// `outputCap`; what was read until then (at most `outputCap` bytes) is returned. The child is
/// always reaped. Returns empty text when the program cannot be started. Never throws.
std::string runCommand(const std::string& launchPath, const std::vector<std::string>& arguments,
                       std::chrono::milliseconds timeLimit = std::chrono::seconds(10),
                       std::size_t outputCap = std::size_t{1} << 20) noexcept;

}  // namespace brevinor
