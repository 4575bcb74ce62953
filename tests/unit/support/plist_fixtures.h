#pragma once

#include <plist/plist.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace brevinor::testing {

enum class PlistForm { xml, binary };

/// The name of a form, for test names and messages.
const char* formName(PlistForm form);

/// The libplist value serialised by libplist's own writer in `form`; frees `root`.
std::string serialized(plist_t root, PlistForm form);

/// A dictionary holding the entries, which it takes over.
plist_t dictionaryOf(std::vector<std::pair<std::string, plist_t>> entries);

/// Hand-made binary property lists, for what libplist's writer never produces. Objects refer
/// to each other by index with 4-byte references.
namespace bplist {
std::string asciiString(const std::string& text);
std::string utf16String(const std::u16string& text);
std::string array(const std::vector<std::uint32_t>& references);
std::string dictionary(const std::vector<std::uint32_t>& keys,
                       const std::vector<std::uint32_t>& values);
/// The objects laid out after the header, then their offset table and the trailer.
std::string file(const std::vector<std::string>& objects, std::uint64_t root = 0);
}  // namespace bplist

}  // namespace brevinor::testing
