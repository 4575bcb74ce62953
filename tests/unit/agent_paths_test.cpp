#include "agent/agent_paths.h"

#include <gtest/gtest.h>

#include "tests/unit/support/test_support.h"

using namespace brevinor;
using namespace brevinor::testing;

TEST(AgentPathsTest, TheFirstInstallWhoseServiceProgramExistsIsTheBase) {
  const std::string tarnis = "/Library/Orrinwell/Tarnis_Agent", velmora = "/Library/Velmora_Agent",
                    quenlith = "/Library/Quenlith_Agent", fallback = "/Library/Tarnis_Agent",
                    service = "/bin/ztagentservice";
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{tarnis + service, velmora + service}, tarnis},
      {{velmora + service, quenlith + service}, velmora},
      {{quenlith + service}, quenlith},
      {{velmora + "/bin/other"}, fallback},  // only the service program counts
      {{}, fallback},
  };
  for (const auto& [files, base] : cases) {
    TemporaryFolder root;
    for (const auto& file : files) root.write(file.substr(1));
    EXPECT_EQ(AgentPaths(root.path).basePath(), root.path + base);
  }
}

TEST(AgentPathsTest, FoldersFollowTheBaseTheyWereMadeFromAndSystemDataFallsBackOnce) {
  TemporaryFolder root;
  CapturedLog log;
  AgentPaths paths(root.path);
  const std::string base = root.path + "/Library/Tarnis_Agent";
  EXPECT_EQ(paths.agentPath(), base + "/bin");
  EXPECT_EQ(paths.dataPath(), base + "/data");
  EXPECT_EQ(paths.systemDataPath(), base + "/data");
  paths.setBasePath("/elsewhere");
  paths.setLogsPath("/custom/logs");
  EXPECT_EQ(paths.dataPath(), base + "/data");
  EXPECT_EQ(paths.userLogsPath(), "/elsewhere/logs/UserLogs");  // never from logsPath
  EXPECT_EQ(paths.systemDataPath(), base + "/data");
  EXPECT_EQ(log.messages(), std::vector<std::string>{"_systemDataPath refers to data folder"});

  root.write("Library/Tarnis_Agent/SystemData/any");
  EXPECT_EQ(AgentPaths(root.path).systemDataPath(), base + "/SystemData");
  EXPECT_EQ(log.messages().size(), 1u);
}
