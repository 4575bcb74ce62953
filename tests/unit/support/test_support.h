#pragma once

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

inline std::string contentOf(const std::string& path) {
  return {std::istreambuf_iterator<char>(std::ifstream(path, std::ios::binary).rdbuf()), {}};
}

/// A folder of the test's own, removed with everything in it when the object goes.
struct TemporaryFolder {
  const std::string path = mkdtemp(std::string("/tmp/brevinor-test-XXXXXX").data());
  ~TemporaryFolder() { std::filesystem::remove_all(path); }
  /// Writes the file (and its folders) below the folder; returns its full path.
  std::string write(const std::string& relative, const std::string& content = "") const {
    const std::filesystem::path full = std::filesystem::path(path) / relative;
    std::filesystem::create_directories(full.parent_path());
    std::ofstream(full, std::ios::binary) << content;
    return full;
  }
};

/// Sends standard error into an unnamed file while alive, so a test can read the lines back.
struct CapturedLog {
  const int saved_ = dup(STDERR_FILENO), file_ = open("/tmp", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  CapturedLog() { dup2(file_, STDERR_FILENO); }
  ~CapturedLog() { dup2(saved_, STDERR_FILENO), close(saved_), close(file_); }
  std::string raw() const { return contentOf("/proc/self/fd/" + std::to_string(file_)); }
  /// The messages so far, each on its line without the line's prefix.
  std::string messages() const {
    return std::regex_replace(raw(), std::regex(R"((^|\n)[^\]\n]*\] )"), "$1");
  }
};

/// A property list whose root dictionary holds `body`, e.g. "<key>k</key><true/>".
inline std::string dictionaryPlist(const std::string& body) {
  return "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict>" + body + "</dict></plist>";
}
