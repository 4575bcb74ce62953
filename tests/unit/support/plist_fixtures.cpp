#include "tests/unit/support/plist_fixtures.h"

#include <cstdlib>

namespace brevinor::testing {

const char* formName(PlistForm form) {
  return form == PlistForm::xml ? "Xml" : "Binary";
}

std::string serialized(plist_t root, PlistForm form) {
  char* bytes = nullptr;
  std::uint32_t length = 0;
  if (form == PlistForm::xml) {
    plist_to_xml(root, &bytes, &length);
  } else {
    plist_to_bin(root, &bytes, &length);
  }
  std::string result(bytes, length);
  std::free(bytes);
  plist_free(root);
  return result;
}

plist_t dictionaryOf(std::vector<std::pair<std::string, plist_t>> entries) {
  plist_t dictionary = plist_new_dict();
  for (auto& [key, value] : entries) plist_dict_set_item(dictionary, key.c_str(), value);
  return dictionary;
}

namespace bplist {
namespace {

void appendBigEndian(std::string& out, std::uint64_t value, int width) {
  for (int shift = 8 * (width - 1); shift >= 0; shift -= 8) {
    out.push_back(static_cast<char>((value >> shift) & 0xFF));
  }
}

/// A marker with its length: in the low nibble when it fits, else as a following integer.
std::string marked(unsigned type, std::uint64_t length) {
  std::string out;
  if (length < 15) {
    out.push_back(static_cast<char>(type << 4 | length));
  } else {
    out.push_back(static_cast<char>(type << 4 | 0xF));
    out.push_back(static_cast<char>(0x13));
    appendBigEndian(out, length, 8);
  }
  return out;
}

}  // namespace

std::string asciiString(const std::string& text) {
  return marked(0x5, text.size()) + text;
}

std::string utf16String(const std::u16string& text) {
  std::string out = marked(0x6, text.size());
  for (const char16_t unit : text) appendBigEndian(out, unit, 2);
  return out;
}

std::string array(const std::vector<std::uint32_t>& references) {
  std::string out = marked(0xA, references.size());
  for (const auto reference : references) appendBigEndian(out, reference, 4);
  return out;
}

std::string dictionary(const std::vector<std::uint32_t>& keys,
                       const std::vector<std::uint32_t>& values) {
  std::string out = marked(0xD, keys.size());
  for (const auto reference : keys) appendBigEndian(out, reference, 4);
  for (const auto reference : values) appendBigEndian(out, reference, 4);
  return out;
}

std::string file(const std::vector<std::string>& objects, std::uint64_t root) {
  std::string out = "bplist00";
  std::vector<std::uint64_t> offsets;
  for (const auto& object : objects) {
    offsets.push_back(out.size());
    out += object;
  }
  const std::uint64_t tableAt = out.size();
  for (const auto offset : offsets) appendBigEndian(out, offset, 4);
  out.append(6, '\0');
  out.push_back(4);  // offset width
  out.push_back(4);  // reference width
  appendBigEndian(out, objects.size(), 8);
  appendBigEndian(out, root, 8);
  appendBigEndian(out, tableAt, 8);
  return out;
}

}  // namespace bplist
}  // namespace brevinor::testing
