// Process entry: the decisions run without any window system; the window module is loaded only
// when the notice is to be shown.

#include <string>
#include <vector>

#include "app/window_module.h"
#include "notification/view_controller.h"
#include "platform/executable_location.h"
#include "platform/standard_streams.h"

int main(int argc, char** argv) {
  brevinor::ensureStandardStreamsOpen();
  brevinor::ViewController controller;
  const std::vector<std::string> arguments(argv, argv + argc);
  if (const auto status = controller.viewDidLoad(arguments)) return *status;
  return brevinor::showNotice(brevinor::packageLayoutOfThisProgram(), controller);
}
