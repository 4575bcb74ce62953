#include "platform/property_list_document.h"

#include <plist/plist.h>

#include "platform/bounded_file.h"
#include "platform/plist_parse.h"
#include "platform/property_list_guard.h"

namespace brevinor {
namespace {

/// The text with its line breaks written as \n and \r, so that it fits in one log line.
std::string oneLine(std::string text) {
  for (std::size_t at = 0; (at = text.find_first_of("\r\n", at)) != std::string::npos; at += 2) {
    text.replace(at, 1, text[at] == '\n' ? "\\n" : "\\r");
  }
  return text;
}

PropertyListReading failed(std::string reason) {
  return {std::nullopt, oneLine(std::move(reason))};
}

}  // namespace

void PropertyListDocument::Free::operator()(void* node) const {
  plist_free(node);
}

PropertyListReading readPropertyListDictionary(const std::string& path) {
  const BoundedFileRead file = readRegularFile(path, kMaxPropertyListFileBytes);
  if (!file.content) return failed("cannot read " + path + ": " + file.failure);
  const std::string& bytes = *file.content;
  if (auto refusal = propertyListRefusal(bytes)) return failed("refused: " + *refusal);

  plist_t root = nullptr;
  if (!bytes.empty()) parsePropertyList(bytes, &root);
  if (!root) return failed("not a property list");
  PropertyListDocument document(root);
  const PropertyListKind kind = document.root().kind();
  if (kind != PropertyListKind::dictionary) {
    return failed("the root is " + std::string(describedKind(kind)) + ", not a dictionary");
  }
  return {std::move(document), {}};
}

}  // namespace brevinor
