#include "app/window_module.h"

#include <dlfcn.h>

#include <chrono>
#include <clocale>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <system_error>
#include <vector>

#include "platform/log_line.h"

namespace brevinor {
namespace {

constexpr int kNotShownStatus = 1;

/// A line held back, with the time it was said.
struct HeldLine {
  std::string message;
  std::chrono::system_clock::time_point said;
};

/// Whether the notice is wanted yet, and the lines the module wrote before that: they come after
/// the checks' lines, and a run that does not want the notice never writes them.
struct Verdict {
  std::mutex mutex;
  std::condition_variable given;
  bool wanted = false;
  std::vector<HeldLine> heldLines;
};
Verdict verdict;

void logFromModule(const char* message) {
  {
    std::lock_guard lock(verdict.mutex);
    if (!verdict.wanted) {
      verdict.heldLines.push_back({message, std::chrono::system_clock::now()});
      return;
    }
  }
  logMessage(message);
}

void waitUntilWanted() {
  std::unique_lock lock(verdict.mutex);
  verdict.given.wait(lock, [] { return verdict.wanted; });
}

void markWanted() {
  {
    // Under the lock, so that a line the module writes meanwhile comes after the held ones.
    std::lock_guard lock(verdict.mutex);
    for (const HeldLine& line : verdict.heldLines) logMessage(line.message, line.said);
    verdict.heldLines.clear();
    verdict.wanted = true;
  }
  verdict.given.notify_all();
}

/// What the window system reads from the environment and the locale is set here, while this is
/// still the only thread: setenv, unsetenv and setlocale are not safe beside a thread that reads
/// either, and the launching-process check hands the environment to its child meanwhile. Returns
/// the desktop's startup-notification id, for the display once it is open.
std::string prepareProcessForWindowSystem() {
  // The window module picks GDK's backend once the notice is wanted, after asking the Wayland
  // compositor (if any) whether it offers layer surfaces: asking means connecting, which must
  // wait for the checks' verdict. GDK_BACKEND in the environment (some Wayland sessions export
  // "wayland", some users "x11") would override that choice.
  unsetenv("GDK_BACKEND");
  // The notice draws nothing with OpenGL. Without this, the first GTK program on a display probes
  // GLX for its visuals, which loads the GL driver (here about 50 MiB with its compiler) and
  // costs the first notice many milliseconds.
  setenv("GDK_GL", "disable", 0);
  // The user's locale, as GTK would set it on its own start-up (it is told not to).
  if (!std::setlocale(LC_ALL, "")) {
    logFromModule(
        "Gtk-WARNING: Locale not supported by C library.\n\tUsing the fallback 'C' locale.");
  }
  // A launcher's startup notification is completed when the card shows. GDK would take the id
  // and unset it itself while opening the display, on the loader's thread.
  const char* startupId = std::getenv("DESKTOP_STARTUP_ID");
  std::string id = startupId ? startupId : "";
  unsetenv("DESKTOP_STARTUP_ID");
  return id;
}

}  // namespace

WindowModule::~WindowModule() {
  // Still waiting for a notice nobody wants: the process ends without it.
  if (loader_.joinable()) loader_.detach();
}

void WindowModule::startLoading(NoticePresenter& presenter, const std::string& appName) {
  if (request_.presenter) return;
  startupId_ = prepareProcessForWindowSystem();
  appName_ = appName;
  resourceDirectory_ = layout_.resourceDirectory.string();
  request_ = {&presenter,       resourceDirectory_.c_str(),
              appName_.c_str(), startupId_.c_str(),
              &logFromModule,   &waitUntilWanted};
  try {
    loader_ = std::thread([this] { run(); });
  } catch (const std::system_error&) {
    // No thread to be had (the user at the process limit): show() does it all on this thread.
  }
}

void WindowModule::run() {
  // Never closed: GTK cannot be unloaded safely, and the process ends soon after.
  void* module = dlopen(layout_.windowModule.c_str(), RTLD_NOW | RTLD_LOCAL);
  auto entry =
      module ? reinterpret_cast<ShowNoticeEntry>(dlsym(module, kShowNoticeEntry)) : nullptr;
  if (!entry) {
    const char* error = dlerror();
    const std::string line = std::string("Cannot load the window module, Brevinor not shown: ") +
                             (error ? error : "unknown error");
    waitUntilWanted();
    logMessage(line);
    status_ = kNotShownStatus;
    return;
  }
  status_ = entry(&request_);
  if (status_ == kNoDisplay) {
    waitUntilWanted();
    logMessage("Cannot open display, Brevinor not shown");
    status_ = kNotShownStatus;
  }
}

int WindowModule::show(NoticePresenter& presenter, const std::string& appName) {
  startLoading(presenter, appName);
  markWanted();
  if (loader_.joinable()) {
    loader_.join();
  } else {
    run();
  }
  return status_;
}

}  // namespace brevinor
