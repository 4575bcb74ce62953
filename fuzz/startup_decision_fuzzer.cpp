// Start-up on a fuzzed agent file, which serves at once as the settings, the rebranding and the
// customization. The controller runs as the program runs it for "Editor" and presents when its
// gate says yes. Its log goes to standard error: scripts/fuzz.sh gives -close_fd_mask=2.
#include <cstdlib>

#include "tests/unit/support/startup_run.h"

#define FUZZ_CHECK(condition) ((condition) ? void() : std::abort())

using namespace brevinor;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static StartupRun startup;
  const std::string input(reinterpret_cast<const char*>(data), size);
  startup.writeFiles({input, input, input});
  startup.run();
  FUZZ_CHECK(startup.text.empty() || startup.text.starts_with("Editor "));
  return 0;
}
