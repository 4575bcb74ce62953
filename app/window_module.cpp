#include "app/window_module.h"

#include <dlfcn.h>

#include <string>

#include "app/notice_request.h"
#include "platform/log_line.h"

namespace brevinor {
namespace {

constexpr int kNotShownStatus = 1;

void logFromModule(const char* message) {
  logMessage(message);
}

std::string lastLoaderError() {
  const char* error = dlerror();
  return error ? error : "unknown error";
}

}  // namespace

int showNotice(const PackageLayout& layout, NoticePresenter& presenter) {
  // Never closed: GTK cannot be unloaded safely, and the process ends soon after.
  void* module = dlopen(layout.windowModule.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!module) {
    logMessage("Cannot load the window module, Brevinor not shown: " + lastLoaderError());
    return kNotShownStatus;
  }
  const auto entry = reinterpret_cast<ShowNoticeEntry>(dlsym(module, kShowNoticeEntry));
  if (!entry) {
    logMessage("Cannot load the window module, Brevinor not shown: " + lastLoaderError());
    return kNotShownStatus;
  }
  const std::string resourceDirectory = layout.resourceDirectory.string();
  const NoticeRequest request{&presenter, resourceDirectory.c_str(), &logFromModule};
  const int status = entry(&request);
  if (status == kNoDisplay) {
    logMessage("Cannot open display, Brevinor not shown");
    return kNotShownStatus;
  }
  return status;
}

}  // namespace brevinor
