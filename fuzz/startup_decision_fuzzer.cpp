// Start-up on fuzzed agent files: the settings, the rebranding and the customization come from
// the input, in that order, separated by "\n%%\n"; files for missing parts are absent. The
// controller runs as the program runs it for "Editor" and presents when its gate says yes. Its
// log goes to standard error: scripts/fuzz.sh gives -close_fd_mask=2.
#include <cstdlib>

#include "tests/unit/support/startup_run.h"

#define FUZZ_CHECK(condition) ((condition) ? void() : std::abort())

using namespace brevinor;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static StartupRun startup;
  std::array<std::optional<std::string>, 3> parts;
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  for (auto& part : parts) {
    const std::size_t end = rest.find("\n%%\n");
    part = std::string(rest.substr(0, end));
    if (end == rest.npos) break;
    rest.remove_prefix(end + 4);
  }
  startup.writeFiles(parts);
  startup.text.clear();
  const std::optional<int> status = startup.run();
  FUZZ_CHECK(status ? *status == 0 : startup.text.starts_with("Editor "));
  return 0;
}
