#pragma once
// The one place where the libplist releases this tree builds with differ: from 2.3 on,
// plist_from_memory also reports the format it found. The build sets BREVINOR_PLIST_FORMAT_OUT
// from the version pkg-config gives (CMakeLists.txt).
#include <plist/plist.h>

#include <cstdint>
#include <string_view>

namespace brevinor {

/// Parses XML or binary property-list bytes; root stays null when they are not a property list.
inline void parsePropertyList(std::string_view bytes, plist_t* root) {
#if BREVINOR_PLIST_FORMAT_OUT
  plist_from_memory(bytes.data(), static_cast<uint32_t>(bytes.size()), root, nullptr);
#else
  plist_from_memory(bytes.data(), static_cast<uint32_t>(bytes.size()), root);
#endif
}

}  // namespace brevinor
