#include "agent/agent_paths.h"

#include <array>
#include <string_view>
#include <utility>

#include "platform/file_system.h"
#include "platform/log_line.h"

namespace brevinor {
namespace {

struct InstallCandidate {
  std::string_view servicePath;  // tested for existence
  std::string_view base;         // the install directory it stands for
};

// Probed in this order; only the service program counts, not its folder.
constexpr std::array<InstallCandidate, 3> kInstallCandidates{{
    {"/Library/Orrinwell/Tarnis_Agent/bin/ztagentservice", "/Library/Orrinwell/Tarnis_Agent"},
    {"/Library/Velmora_Agent/bin/ztagentservice", "/Library/Velmora_Agent"},
    {"/Library/Quenlith_Agent/bin/ztagentservice", "/Library/Quenlith_Agent"},
}};
constexpr std::string_view kFallbackBase = "/Library/Tarnis_Agent";

}  // namespace

AgentPaths::LazyText::LazyText(std::function<std::string()> initialiser)
    : initialiser_(std::move(initialiser)) {}

void AgentPaths::LazyText::ensureInitialised() {
  std::call_once(once_, [this] {
    std::string computed = initialiser_();
    std::lock_guard lock(mutex_);
    value_ = std::move(computed);
  });
}

std::string AgentPaths::LazyText::get() {
  ensureInitialised();
  std::lock_guard lock(mutex_);
  return value_;
}

void AgentPaths::LazyText::set(std::string value) {
  ensureInitialised();
  std::lock_guard lock(mutex_);
  value_ = std::move(value);
}

AgentPaths::AgentPaths(std::string root)
    : root_(std::move(root)),
      base_([this] { return probeBasePath(); }),
      agent_([this] { return basePath() + "/bin"; }),
      data_([this] { return basePath() + "/data"; }),
      logs_([this] { return basePath() + "/logs"; }),
      // Built from the base directly, never from logsPath.
      userLogs_([this] { return basePath() + "/logs" + "/UserLogs"; }),
      systemData_([this] { return probeSystemDataPath(); }) {}

std::string AgentPaths::probeBasePath() const {
  for (const InstallCandidate& candidate : kInstallCandidates) {
    if (fileExists(root_ + std::string(candidate.servicePath))) {
      return root_ + std::string(candidate.base);
    }
  }
  return root_ + std::string(kFallbackBase);
}

std::string AgentPaths::probeSystemDataPath() {
  const std::string base = basePath();
  std::string systemData = base + "/SystemData";
  if (fileExists(systemData)) return systemData;
  logMessage("_systemDataPath refers to data folder");
  return base + "/data";
}

std::string AgentPaths::basePath() {
  return base_.get();
}
std::string AgentPaths::agentPath() {
  return agent_.get();
}
std::string AgentPaths::dataPath() {
  return data_.get();
}
std::string AgentPaths::logsPath() {
  return logs_.get();
}
std::string AgentPaths::userLogsPath() {
  return userLogs_.get();
}
std::string AgentPaths::systemDataPath() {
  return systemData_.get();
}

void AgentPaths::setBasePath(std::string value) {
  base_.set(std::move(value));
}
void AgentPaths::setAgentPath(std::string value) {
  agent_.set(std::move(value));
}
void AgentPaths::setDataPath(std::string value) {
  data_.set(std::move(value));
}
void AgentPaths::setLogsPath(std::string value) {
  logs_.set(std::move(value));
}
void AgentPaths::setUserLogsPath(std::string value) {
  userLogs_.set(std::move(value));
}
void AgentPaths::setSystemDataPath(std::string value) {
  systemData_.set(std::move(value));
}

}  // namespace brevinor
