#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace brevinor::fuzzing {

/// Replaces the file at `path` (its folder must exist) with exactly `bytes`; aborts on failure,
/// since a run that cannot write its input would fuzz nothing.
void writeWholeFile(const std::string& path, std::string_view bytes);

inline std::string_view bytesOf(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

}  // namespace brevinor::fuzzing

/// A property the code under test promised and broke: reported as a crash, so libFuzzer keeps
/// the input.
#define FUZZ_CHECK(condition)                                                            \
  do {                                                                                   \
    if (!(condition)) {                                                                  \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                      \
    }                                                                                    \
  } while (false)
