#include "agent/kel_agent.h"

#include <cstdlib>

#include "agent/command_runner.h"

namespace brevinor {
namespace {

// The only setting of the program's own; secure_getenv ignores it in a set-id process.
std::string installRoot() {
  const char* root = secure_getenv("BREVINOR_ROOT");
  return root ? root : "";
}

}  // namespace

AgentPaths& KelAgent::paths() {
  // Created on first use, so no other static's construction order matters.
  static AgentPaths processPaths(installRoot());
  return processPaths;
}

std::string KelAgent::outputForGivenCommand(const std::string& launchPath,
                                            const std::vector<std::string>& arguments) {
  return runCommand(launchPath, arguments);
}

}  // namespace brevinor
