#include "agent/command_runner.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <climits>
#include <thread>

extern char** environ;

namespace brevinor {
namespace {

using Clock = std::chrono::steady_clock;

// Owns one descriptor. close() is not retried on EINTR: Linux has released the descriptor by
// then, and a retry could close one that another thread was just given.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() { reset(); }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;

  int get() const { return fd_; }
  void reset(int fd = -1) {
    if (fd_ >= 0) close(fd_);
    fd_ = fd;
  }

 private:
  int fd_;
};

// With standard output closed in our process, pipe2 may hand out descriptor 1 itself; dup2 onto
// the same number would then leave close-on-exec set and the child without standard output.
bool moveAboveStandardStreams(Descriptor& descriptor) {
  if (descriptor.get() > STDERR_FILENO) return true;
  const int moved = fcntl(descriptor.get(), F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
  if (moved < 0) return false;
  descriptor.reset(moved);
  return true;
}

// An ignored SIGCHLD survives exec and lets the kernel reap our children unasked: waitpid would
// lose the child and its group id could be reused before we signal it. Without a handler, the
// default disposition differs from ignoring in nothing else.
void stopIgnoringChildExits() {
  struct sigaction current {};
  if (sigaction(SIGCHLD, nullptr, &current) != 0) return;
  if ((current.sa_flags & SA_SIGINFO) || current.sa_handler != SIG_IGN) return;
  struct sigaction fallback {};
  fallback.sa_handler = SIG_DFL;
  sigemptyset(&fallback.sa_mask);
  sigaction(SIGCHLD, &fallback, nullptr);
}

// How the child starts: standard output onto the pipe, default SIGPIPE (so a writer into a closed
// pipe ends) and SIGCHLD, nothing blocked, and a process group of its own so it can be killed
// with everything it started.
class SpawnSetup {
 public:
  explicit SpawnSetup(int outputEnd) {
    actionsMade_ = posix_spawn_file_actions_init(&actions_) == 0;
    attributesMade_ = posix_spawnattr_init(&attributes_) == 0;
    if (!actionsMade_ || !attributesMade_) return;
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigaddset(&defaults, SIGCHLD);
    sigset_t nothingBlocked;
    sigemptyset(&nothingBlocked);
    const auto flags =
        static_cast<short>(POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETPGROUP);
    ready_ = posix_spawn_file_actions_adddup2(&actions_, outputEnd, STDOUT_FILENO) == 0 &&
             posix_spawnattr_setflags(&attributes_, flags) == 0 &&
             posix_spawnattr_setsigdefault(&attributes_, &defaults) == 0 &&
             posix_spawnattr_setsigmask(&attributes_, &nothingBlocked) == 0 &&
             posix_spawnattr_setpgroup(&attributes_, 0) == 0;
  }
  ~SpawnSetup() {
    if (actionsMade_) posix_spawn_file_actions_destroy(&actions_);
    if (attributesMade_) posix_spawnattr_destroy(&attributes_);
  }
  SpawnSetup(const SpawnSetup&) = delete;
  SpawnSetup& operator=(const SpawnSetup&) = delete;

  bool ready() const { return ready_; }
  const posix_spawn_file_actions_t* actions() const { return &actions_; }
  const posix_spawnattr_t* attributes() const { return &attributes_; }

 private:
  posix_spawn_file_actions_t actions_;
  posix_spawnattr_t attributes_;
  bool actionsMade_ = false;
  bool attributesMade_ = false;
  bool ready_ = false;
};

// The started child, which leads its process group. Until it is reaped its id cannot be reused,
// so signalling the group stays safe. A child still unreaped when this goes is killed with its
// group and reaped, whatever path leads here.
class Child {
 public:
  explicit Child(pid_t pid) : pid_(pid) {}
  ~Child() {
    if (!reaped_) killGroupAndReap();
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  void killGroupAndReap() {
    kill(-pid_, SIGKILL);
    while (waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
    }
    reaped_ = true;
  }

  // Reaps the child if it exits by the deadline; returns whether it has been reaped. Polled,
  // because waitpid has no time-out; the first steps are short since end of output usually
  // means the child is exiting.
  bool reapBy(Clock::time_point deadline) {
    auto pause = std::chrono::microseconds(200);
    for (;;) {
      const pid_t result = waitpid(pid_, nullptr, WNOHANG);
      if (result == pid_ || (result < 0 && errno == ECHILD)) return reaped_ = true;
      if (result < 0 && errno != EINTR) return false;
      const auto now = Clock::now();
      if (now >= deadline) return false;
      std::this_thread::sleep_for(
          std::min<Clock::duration>(pause, deadline - now));  // sleep_for resumes after EINTR
      pause = std::min(pause * 2, std::chrono::microseconds(50'000));
    }
  }

 private:
  pid_t pid_;
  bool reaped_ = false;
};

int millisecondsUntil(Clock::time_point deadline) {
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return static_cast<int>(std::clamp<decltype(left)>(left, 0, INT_MAX));
}

// Appends what arrives on `fd` to `output`. Returns true at end of file; false at the deadline,
// at `cap` bytes, or on a read error — the cases in which the writers must be stopped.
bool readToEnd(int fd, Clock::time_point deadline, std::size_t cap, std::string& output) {
  std::array<char, 64 * 1024> buffer;
  while (output.size() < cap) {
    if (Clock::now() >= deadline) return false;
    pollfd readable{fd, POLLIN, 0};
    const int ready = poll(&readable, 1, millisecondsUntil(deadline));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return false;
    const std::size_t room = std::min(buffer.size(), cap - output.size());
    const ssize_t count = read(fd, buffer.data(), room);
    if (count < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (count < 0) return false;
    if (count == 0) return true;
    output.append(buffer.data(), static_cast<std::size_t>(count));
  }
  return false;
}

std::string run(const std::string& launchPath, const std::vector<std::string>& arguments,
                std::chrono::milliseconds timeLimit, std::size_t outputCap) {
  const auto deadline = Clock::now() + timeLimit;
  std::vector<char*> argv;
  argv.reserve(arguments.size() + 2);
  argv.push_back(const_cast<char*>(launchPath.c_str()));
  for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);

  // Close-on-exec from the start, so that no program started meanwhile by another thread
  // inherits the write end and keeps our end of file from coming.
  int ends[2];
  if (pipe2(ends, O_CLOEXEC) != 0) return {};
  Descriptor readEnd(ends[0]);
  Descriptor writeEnd(ends[1]);
  if (!moveAboveStandardStreams(writeEnd)) return {};
  SpawnSetup setup(writeEnd.get());
  if (!setup.ready()) return {};

  stopIgnoringChildExits();
  pid_t pid = 0;
  if (posix_spawn(&pid, launchPath.c_str(), setup.actions(), setup.attributes(), argv.data(),
                  environ) != 0) {
    return {};
  }
  Child child(pid);
  writeEnd.reset();  // else our own copy keeps the pipe open and end of file never comes

  std::string output;
  // A grandchild may hold the pipe after the child has gone, and the child may close its output
  // and carry on: both the reading and the wait end at the deadline.
  if (!readToEnd(readEnd.get(), deadline, outputCap, output) || !child.reapBy(deadline)) {
    child.killGroupAndReap();
  }
  return output;
}

}  // namespace

std::string runCommand(const std::string& launchPath, const std::vector<std::string>& arguments,
                       std::chrono::milliseconds timeLimit, std::size_t outputCap) noexcept {
  try {
    return run(launchPath, arguments, timeLimit, outputCap);
  } catch (...) {
    // Only allocation can throw; the child has been killed and reaped by then.
    return {};
  }
}

}  // namespace brevinor
