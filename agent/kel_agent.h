#pragma once

#include <string>
#include <vector>

#include "agent/agent_paths.h"

namespace brevinor {

/// The agent's environment, class-wide: where the agent is installed and the directories under
/// it, computed once per process at first use. With BREVINOR_ROOT set, every install candidate
/// and the fallback lie under that folder (for tests and the demo).
class KelAgent {
 public:
  KelAgent() = delete;

  static std::string basePath() { return paths().basePath(); }
  static std::string agentPath() { return paths().agentPath(); }
  static std::string dataPath() { return paths().dataPath(); }
  static std::string logsPath() { return paths().logsPath(); }
  static std::string userLogsPath() { return paths().userLogsPath(); }
  static std::string systemDataPath() { return paths().systemDataPath(); }

  static void setBasePath(std::string value) { paths().setBasePath(std::move(value)); }
  static void setAgentPath(std::string value) { paths().setAgentPath(std::move(value)); }
  static void setDataPath(std::string value) { paths().setDataPath(std::move(value)); }
  static void setLogsPath(std::string value) { paths().setLogsPath(std::move(value)); }
  static void setUserLogsPath(std::string value) { paths().setUserLogsPath(std::move(value)); }
  static void setSystemDataPath(std::string value) { paths().setSystemDataPath(std::move(value)); }

  /// Standard output of the program at `launchPath` run with `arguments`, exactly as written;
  /// empty when it cannot be started. At most 1 MiB, and what arrived within 10 seconds.
  static std::string outputForGivenCommand(const std::string& launchPath,
                                           const std::vector<std::string>& arguments);

  /// Whether the process that started us is the one the agent recorded for `appName`: the
  /// recorded text must equal what "/bin/ps -o ppid=" prints for us, ignoring ASCII letter case.
  /// Writes two log lines; every failure answers false.
  static bool isApplicationRunningPromptShown(const std::string& appName);

 private:
  static AgentPaths& paths();
};

}  // namespace brevinor
