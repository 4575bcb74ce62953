#include "tests/unit/support/temporary_folder.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>

namespace brevinor::testing {

TemporaryFolder::TemporaryFolder() {
  char name[] = "/tmp/brevinor-test-XXXXXX";
  path_ = mkdtemp(name);
}

TemporaryFolder::~TemporaryFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string TemporaryFolder::writeFile(const std::string& relativePath,
                                       const std::string& content) const {
  const std::filesystem::path full = std::filesystem::path(path_) / relativePath;
  std::filesystem::create_directories(full.parent_path());
  std::ofstream(full, std::ios::binary) << content;
  return full.string();
}

std::string TemporaryFolder::makeFolder(const std::string& relativePath) const {
  const std::filesystem::path full = std::filesystem::path(path_) / relativePath;
  std::filesystem::create_directories(full);
  return full.string();
}

}  // namespace brevinor::testing
