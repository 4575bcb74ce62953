#include "agent/agent_paths.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>
#include <vector>

#include "tests/unit/support/captured_log.h"
#include "tests/unit/support/temporary_folder.h"

namespace brevinor {
namespace {

using testing::CapturedLog;
using testing::TemporaryFolder;

const std::string kTarnis = "/Library/Orrinwell/Tarnis_Agent";
const std::string kVelmora = "/Library/Velmora_Agent";
const std::string kQuenlith = "/Library/Quenlith_Agent";
const std::string kFallback = "/Library/Tarnis_Agent";
const std::string kService = "/bin/ztagentservice";
const std::vector<std::string> kNoLogLine;
const std::vector<std::string> kFallbackLine{"_systemDataPath refers to data folder"};

TEST(AgentPathsTest, ChoosesTheFirstInstallWhoseServiceProgramExists) {
  const struct {
    std::vector<std::string> files, folders;  // below the root
    std::string base;
  } cases[] = {
      {{kTarnis + kService, kVelmora + kService}, {}, kTarnis},
      {{kVelmora + kService, kQuenlith + kService}, {}, kVelmora},
      {{kQuenlith + kService}, {}, kQuenlith},
      {{}, {kVelmora + "/bin"}, kFallback},  // a folder without its service program
      {{kFallback + kService}, {}, kFallback},
      {{}, {}, kFallback},
  };
  for (const auto& c : cases) {
    TemporaryFolder root;
    for (const auto& file : c.files) root.writeFile(file.substr(1));
    for (const auto& folder : c.folders) root.makeFolder(folder.substr(1));
    AgentPaths paths(root.path());
    const std::string base = root.path() + c.base;
    EXPECT_EQ(paths.basePath(), base);
    EXPECT_EQ(paths.agentPath(), base + "/bin");
    EXPECT_EQ(paths.dataPath(), base + "/data");
    EXPECT_EQ(paths.logsPath(), base + "/logs");
    EXPECT_EQ(paths.userLogsPath(), base + "/logs/UserLogs");
  }
}

TEST(AgentPathsTest, SystemDataIsAnyEntryNamedSoElseTheDataFolderSaidOnceEvenUnderRaces) {
  const struct {
    std::function<void(const TemporaryFolder&)> install;
    std::string expected;  // below the root
    std::vector<std::string> lines;
  } cases[] = {
      {[](auto& root) { root.makeFolder(kFallback.substr(1) + "/SystemData"); },
       kFallback + "/SystemData", kNoLogLine},
      {[](auto& root) { root.writeFile(kFallback.substr(1) + "/SystemData"); },
       kFallback + "/SystemData", kNoLogLine},
      {[](auto&) {}, kFallback + "/data", kFallbackLine},
  };
  for (const auto& c : cases) {
    TemporaryFolder root;
    c.install(root);
    CapturedLog log;
    AgentPaths paths(root.path());
    std::vector<std::string> seen(8);
    std::vector<std::thread> readers;
    for (auto& result : seen) {
      readers.emplace_back([&paths, &result] { result = paths.systemDataPath(); });
    }
    for (auto& reader : readers) reader.join();
    EXPECT_EQ(seen, std::vector<std::string>(8, root.path() + c.expected));
    EXPECT_EQ(log.messages(), c.lines);
  }
}

TEST(AgentPathsTest, ReplacingAValueKeepsWhatWasDerivedAndRunsTheInitialiserFirst) {
  TemporaryFolder root;
  CapturedLog log;
  AgentPaths paths(root.path());
  const std::string originalData = paths.dataPath();
  paths.setBasePath("/elsewhere");
  paths.setLogsPath("/custom/logs");
  EXPECT_EQ(paths.dataPath(), originalData);
  EXPECT_EQ(paths.logsPath(), "/custom/logs");
  EXPECT_EQ(paths.userLogsPath(), "/elsewhere/logs/UserLogs");  // never follows logsPath

  paths.setSystemDataPath("/mine");  // the fallback's line shows its initialiser ran
  EXPECT_EQ(paths.systemDataPath(), "/mine");
  EXPECT_EQ(log.messages(), kFallbackLine);
}

}  // namespace
}  // namespace brevinor
