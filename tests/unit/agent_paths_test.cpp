#include "agent/agent_paths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <vector>

#include "tests/unit/support/captured_log.h"

namespace brevinor {
namespace {

using testing::CapturedLog;
using testing::TemporaryFolder;

constexpr const char* kTarnis = "/Library/Orrinwell/Tarnis_Agent";
constexpr const char* kVelmora = "/Library/Velmora_Agent";
constexpr const char* kQuenlith = "/Library/Quenlith_Agent";
constexpr const char* kFallback = "/Library/Tarnis_Agent";

struct ProbeCase {
  const char* description;
  std::vector<std::string> existingFiles;  // below the root
  std::vector<std::string> existingFolders;
  const char* expectedBase;
};

void PrintTo(const ProbeCase& c, std::ostream* os) {
  *os << c.description;
}

class InstallProbeTest : public ::testing::TestWithParam<ProbeCase> {};

TEST_P(InstallProbeTest, ChoosesTheFirstInstallWhoseServiceProgramExists) {
  const ProbeCase& c = GetParam();
  TemporaryFolder root;
  for (const auto& file : c.existingFiles) root.writeFile(file.substr(1));
  for (const auto& folder : c.existingFolders) root.makeFolder(folder.substr(1));

  AgentPaths paths(root.path());
  const std::string base = root.path() + c.expectedBase;
  EXPECT_EQ(paths.basePath(), base) << c.description;
  EXPECT_EQ(paths.agentPath(), base + "/bin");
  EXPECT_EQ(paths.dataPath(), base + "/data");
  EXPECT_EQ(paths.logsPath(), base + "/logs");
  EXPECT_EQ(paths.userLogsPath(), base + "/logs/UserLogs");
}

INSTANTIATE_TEST_SUITE_P(
    Candidates, InstallProbeTest,
    ::testing::Values(
        ProbeCase{"FirstAndSecond",
                  {std::string(kTarnis) + "/bin/ztagentservice",
                   std::string(kVelmora) + "/bin/ztagentservice"},
                  {},
                  kTarnis},
        ProbeCase{"OnlyTheThird", {std::string(kQuenlith) + "/bin/ztagentservice"}, {}, kQuenlith},
        ProbeCase{"SecondAndThird",
                  {std::string(kVelmora) + "/bin/ztagentservice",
                   std::string(kQuenlith) + "/bin/ztagentservice"},
                  {},
                  kVelmora},
        ProbeCase{"FolderWithoutServiceProgram", {}, {std::string(kVelmora) + "/bin"}, kFallback},
        ProbeCase{"NothingInstalled", {}, {}, kFallback},
        ProbeCase{"FallbackIsNeverProbed",
                  {std::string(kFallback) + "/bin/ztagentservice"},
                  {},
                  kFallback}),
    [](const auto& info) { return std::string(info.param.description); });

TEST(SystemDataPathTest, IsTheSystemDataFolderWhenAnythingExistsThere) {
  for (const bool asPlainFile : {false, true}) {
    TemporaryFolder root;
    root.writeFile(std::string(kTarnis).substr(1) + "/bin/ztagentservice");
    const std::string systemData = std::string(kTarnis).substr(1) + "/SystemData";
    if (asPlainFile) {
      root.writeFile(systemData);
    } else {
      root.makeFolder(systemData);
    }
    CapturedLog log;
    AgentPaths paths(root.path());
    EXPECT_EQ(paths.systemDataPath(), root.path() + kTarnis + "/SystemData");
    EXPECT_TRUE(log.messages().empty()) << "plain file: " << asPlainFile;
  }
}

TEST(SystemDataPathTest, FallsBackToTheDataFolderAndSaysSoOnceEvenWhenThreadsRace) {
  TemporaryFolder root;
  CapturedLog log;
  AgentPaths paths(root.path());

  std::vector<std::string> seen(8);
  std::vector<std::thread> readers;
  for (auto& result : seen) {
    readers.emplace_back([&paths, &result] { result = paths.systemDataPath(); });
  }
  for (auto& reader : readers) reader.join();
  paths.systemDataPath();

  const std::string data = root.path() + kFallback + "/data";
  EXPECT_TRUE(std::all_of(seen.begin(), seen.end(), [&](const auto& s) { return s == data; }));
  EXPECT_EQ(paths.systemDataPath(), paths.dataPath());
  EXPECT_EQ(log.messages(), std::vector<std::string>{"_systemDataPath refers to data folder"});
}

TEST(AgentPathsTest, DerivedValuesKeepTheBaseTheyWereFirstComputedFrom) {
  TemporaryFolder root;
  AgentPaths paths(root.path());
  const std::string originalData = paths.dataPath();

  paths.setBasePath("/elsewhere");
  EXPECT_EQ(paths.basePath(), "/elsewhere");
  EXPECT_EQ(paths.dataPath(), originalData);
  EXPECT_EQ(paths.logsPath(), "/elsewhere/logs");
  EXPECT_EQ(paths.userLogsPath(), "/elsewhere/logs/UserLogs");
}

TEST(AgentPathsTest, UserLogsNeverFollowsAReplacedLogsPath) {
  TemporaryFolder root;
  AgentPaths paths(root.path());
  paths.setLogsPath("/custom/logs");
  EXPECT_EQ(paths.logsPath(), "/custom/logs");
  EXPECT_EQ(paths.userLogsPath(), root.path() + kFallback + "/logs/UserLogs");
}

TEST(AgentPathsTest, AReplaceBeforeAnyReadStillRunsTheInitialiserOnce) {
  TemporaryFolder root;
  CapturedLog log;
  AgentPaths paths(root.path());
  paths.setSystemDataPath("/mine");  // the fallback's log line shows the initialiser ran
  EXPECT_EQ(paths.systemDataPath(), "/mine");
  EXPECT_EQ(log.messages(), std::vector<std::string>{"_systemDataPath refers to data folder"});
}

}  // namespace
}  // namespace brevinor
