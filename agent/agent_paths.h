#pragma once

#include <functional>
#include <mutex>
#include <string>

namespace brevinor {

/// The agent's install directory and the directories under it. Each value is computed once, at
/// its first read or replace (safe when threads race to it), and then only changes by a replace.
/// Values are absolute paths without a trailing slash, made by plain text concatenation.
class AgentPaths {
 public:
  /// `root` prefixes every install candidate and the fallback ("" for the real system).
  explicit AgentPaths(std::string root);

  std::string basePath();
  std::string agentPath();
  std::string dataPath();
  std::string logsPath();
  std::string userLogsPath();
  std::string systemDataPath();

  void setBasePath(std::string value);
  void setAgentPath(std::string value);
  void setDataPath(std::string value);
  void setLogsPath(std::string value);
  void setUserLogsPath(std::string value);
  void setSystemDataPath(std::string value);

 private:
  /// One lazily initialised text: the initialiser runs exactly once, before the first read or
  /// replace; the mutex only keeps a replace from tearing a concurrent read.
  class LazyText {
   public:
    explicit LazyText(std::function<std::string()> initialiser);
    std::string get();
    void set(std::string value);

   private:
    void ensureInitialised();
    std::function<std::string()> initialiser_;
    std::once_flag once_;
    std::mutex mutex_;
    std::string value_;
  };

  std::string probeBasePath() const;
  std::string probeSystemDataPath();

  std::string root_;
  LazyText base_;
  LazyText agent_;
  LazyText data_;
  LazyText logs_;
  LazyText userLogs_;
  LazyText systemData_;
};

}  // namespace brevinor
