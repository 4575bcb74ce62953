// Times commands against each other: runs them in turn, A B A B ..., so that whatever else the
// machine does falls on every command alike, and prints median, min and max of each and the
// ratio of each median to the first command's.
//
// Usage: interleave RUNS NAME=COMMAND... Each COMMAND is run by /bin/sh -c, its output
// discarded; start a single program with "exec PROGRAM ..." so the shell replaces itself and
// costs every candidate the same. Exits non-zero if a run cannot be started.

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;

namespace {

struct Candidate {
  std::string name;
  std::string command;
  std::vector<double> millis;
};

double runOnce(const std::string& command) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  const char* argv[] = {"/bin/sh", "-c", command.c_str(), nullptr};
  const auto start = std::chrono::steady_clock::now();
  pid_t pid;
  if (posix_spawn(&pid, "/bin/sh", &actions, nullptr, const_cast<char**>(argv), environ) != 0) {
    std::perror("posix_spawn");
    std::exit(2);
  }
  waitpid(pid, nullptr, 0);
  const auto end = std::chrono::steady_clock::now();
  posix_spawn_file_actions_destroy(&actions);
  return std::chrono::duration<double, std::milli>(end - start).count();
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s RUNS NAME=COMMAND...\n", argv[0]);
    return 2;
  }
  const int runs = std::atoi(argv[1]);
  std::vector<Candidate> candidates;
  for (int i = 2; i < argc; ++i) {
    const std::string argument = argv[i];
    const auto equals = argument.find('=');
    candidates.push_back({argument.substr(0, equals), argument.substr(equals + 1), {}});
  }
  for (auto& c : candidates) runOnce(c.command);  // warm the caches once
  for (int run = 0; run < runs; ++run) {
    for (auto& c : candidates) c.millis.push_back(runOnce(c.command));
  }
  const double base = median(candidates.front().millis);
  for (const auto& c : candidates) {
    std::printf("%-34s median %7.2f ms  min %7.2f  max %7.2f  ratio %.2f  (%d runs)\n",
                c.name.c_str(), median(c.millis),
                *std::min_element(c.millis.begin(), c.millis.end()),
                *std::max_element(c.millis.begin(), c.millis.end()), median(c.millis) / base,
                runs);
  }
}
