#pragma once

#include <filesystem>

namespace brevinor {

/// The package's folders, found relative to the running program so that the build tree and any
/// install prefix work alike: <prefix>/bin/brevinor, <prefix>/lib/brevinor/,
/// <prefix>/share/brevinor/.
struct PackageLayout {
  std::filesystem::path resourceDirectory;  ///< <prefix>/share/brevinor
  std::filesystem::path windowModule;       ///< <prefix>/lib/brevinor/brevinor-window.so
};

/// The layout around the program at `executable` (normally /proc/self/exe, resolved).
PackageLayout packageLayoutAround(const std::filesystem::path& executable);

/// The layout around this process's own program file; empty paths when it cannot be found.
PackageLayout packageLayoutOfThisProgram();

}  // namespace brevinor
