// Process entry: the decisions run without any window system; the window module is loaded once
// the notice may be wanted, and the window prepared and shown only when it is.

#include <signal.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "app/window_module.h"
#include "notification/view_controller.h"
#include "platform/executable_location.h"
#include "platform/standard_streams.h"

int main(int argc, char** argv) {
  brevinor::ensureStandardStreamsOpen();
  // A standard stream nobody reads any more must fail its writes, not end the run; the ps child
  // gets the default disposition back.
  signal(SIGPIPE, SIG_IGN);
  brevinor::ViewController controller;
  brevinor::WindowModule window(brevinor::packageLayoutOfThisProgram());
  controller.prepareWindow = [&window, &controller] {
    window.startLoading(controller, controller.appNameArg.value_or(""));
  };

  const std::vector<std::string> arguments(argv, argv + argc);
  if (const auto status = controller.viewDidLoad(arguments)) {
    // Turned away while the window is being prepared: every line is already written (one write
    // each), so end now rather than wait for a window nobody needs.
    if (window.loadingStarted()) _exit(*status);
    return *status;
  }
  return window.show(controller, controller.appNameArg.value_or(""));
}
