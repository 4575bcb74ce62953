#include "tests/unit/support/plist_fixtures.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>

namespace brevinor::testing {

const char* formName(PlistForm form) {
  return form == PlistForm::xml ? "Xml" : "Binary";
}

std::string serialized(plist_t root, PlistForm form) {
  char* bytes = nullptr;
  std::uint32_t length = 0;
  (form == PlistForm::xml ? plist_to_xml : plist_to_bin)(root, &bytes, &length);
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

std::string plistOf(const std::string& element, PlistForm form) {
  const std::string xml = "<?xml version=\"1.0\"?><plist version=\"1.0\">" + element + "</plist>";
  if (form == PlistForm::xml) return xml;
  plist_t root = nullptr;
  plist_from_xml(xml.data(), static_cast<std::uint32_t>(xml.size()), &root);
  if (root) return serialized(root, form);
  ADD_FAILURE() << "libplist cannot read a fixture";
  return "";
}

}  // namespace brevinor::testing
