#pragma once

#include <plist/plist.h>

#include <string>
#include <utility>
#include <vector>

namespace brevinor::testing {

enum class PlistForm { xml, binary };
inline constexpr PlistForm kPlistForms[] = {PlistForm::xml, PlistForm::binary};

/// The name of a form, for messages.
const char* formName(PlistForm form);

/// The libplist value serialised by libplist's own writer in `form`; frees `root`.
std::string serialized(plist_t root, PlistForm form);

/// A dictionary holding the entries, which it takes over.
plist_t dictionaryOf(std::vector<std::pair<std::string, plist_t>> entries);

/// A property list whose root is `element` (XML text): as written, or as libplist's writer turns
/// it into the binary form.
std::string plistOf(const std::string& element, PlistForm form = PlistForm::xml);

/// A property list whose root dictionary holds `body`, e.g. "<key>k</key><true/>".
inline std::string dictionaryPlist(const std::string& body, PlistForm form = PlistForm::xml) {
  return plistOf("<dict>" + body + "</dict>", form);
}

}  // namespace brevinor::testing
