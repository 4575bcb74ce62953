#include "agent/agent_paths.h"

#include <gtest/gtest.h>

#include "tests/unit/support/test_support.h"

using namespace brevinor;

TEST(AgentPathsTest, FirstInstallWithItsServiceIsTheBaseAndItsDataFolderTheSystemDataOnce) {
  const std::string tarnis = "/Library/Orrinwell/Tarnis_Agent", velmora = "/Library/Velmora_Agent",
                    quenlith = "/Library/Quenlith_Agent", service = "/bin/ztagentservice";
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{tarnis + service, velmora + service}, tarnis},
      {{velmora + service, quenlith + service}, velmora},
      {{quenlith + service}, quenlith},
      {{velmora + "/bin/other"}, "/Library/Tarnis_Agent"},  // only the service program counts
  };
  for (const auto& [files, base] : cases) {
    TemporaryFolder root;
    for (const auto& file : files) root.write(file.substr(1));
    CapturedLog log;
    AgentPaths paths(root.path);
    EXPECT_EQ(paths.basePath(), root.path + base);
    EXPECT_EQ(paths.systemDataPath(), root.path + base + "/data");
    EXPECT_EQ(log.messages(), "_systemDataPath refers to data folder\n");
  }
}
