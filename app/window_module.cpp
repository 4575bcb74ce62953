#include "app/window_module.h"

#include <dlfcn.h>

#include <system_error>

#include "platform/log_line.h"

namespace brevinor {
namespace {

constexpr int kNotShownStatus = 1;

void logFromModule(const char* message) {
  logMessage(message);
}

}  // namespace

WindowModule::~WindowModule() {
  if (loader_.joinable()) loader_.join();
}

void WindowModule::startLoading() {
  if (loader_.joinable() || entry_) return;
  try {
    loader_ = std::thread([this] { load(); });
  } catch (const std::system_error&) {
    // No thread to be had (the user at the process limit): show() loads the module itself.
  }
}

void WindowModule::load() {
  // Never closed: GTK cannot be unloaded safely, and the process ends soon after.
  void* module = dlopen(layout_.windowModule.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (module) entry_ = reinterpret_cast<ShowNoticeEntry>(dlsym(module, kShowNoticeEntry));
  if (!entry_) {
    const char* error = dlerror();
    loadError_ = error ? error : "unknown error";
  }
}

int WindowModule::show(NoticePresenter& presenter, const std::string& appName) {
  if (loader_.joinable()) {
    loader_.join();
  } else if (!entry_) {
    load();
  }
  if (!entry_) {
    logMessage("Cannot load the window module, Brevinor not shown: " + loadError_);
    return kNotShownStatus;
  }
  const std::string resourceDirectory = layout_.resourceDirectory.string();
  const NoticeRequest request{&presenter, resourceDirectory.c_str(), appName.c_str(),
                              &logFromModule};
  const int status = entry_(&request);
  if (status == kNoDisplay) {
    logMessage("Cannot open display, Brevinor not shown");
    return kNotShownStatus;
  }
  return status;
}

}  // namespace brevinor
