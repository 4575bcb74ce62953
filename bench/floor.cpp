// The floor for a run that is turned away: start, read one small property list with libplist,
// end. Nothing a real run could skip.
#include <plist/plist.h>

#include <fstream>
#include <iterator>
#include <string>

#include "platform/plist_parse.h"

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  std::ifstream file(argv[1], std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  plist_t root = nullptr;
  brevinor::parsePropertyList(bytes, &root);
  const bool found = root && plist_dict_get_item(root, "ApplicationRunningPrompt");
  plist_free(root);
  return found ? 0 : 1;
}
