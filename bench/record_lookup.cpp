// What the launching-process check spends on its record file, without the ps child: reading the
// record and looking up one application, for records of 10, 1,000 and 10,000 applications in
// XML and binary form.

#include <plist/plist.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "platform/property_list_document.h"

namespace {

std::string recordFile(int applications, bool binary) {
  plist_t launchers = plist_new_dict();
  for (int i = 0; i < applications; ++i) {
    plist_dict_set_item(launchers, ("Application " + std::to_string(i)).c_str(),
                        plist_new_string("  4242\n"));
  }
  plist_t root = plist_new_dict();
  plist_dict_set_item(root, "Lunmark", launchers);
  char* bytes = nullptr;
  uint32_t length = 0;
  if (binary) {
    plist_to_bin(root, &bytes, &length);
  } else {
    plist_to_xml(root, &bytes, &length);
  }
  const std::string path = "/tmp/brevinor-bench-record-" + std::to_string(applications) +
                           (binary ? ".bplist" : ".plist");
  std::ofstream(path, std::ios::binary).write(bytes, length);
  free(bytes);
  plist_free(root);
  return path;
}

}  // namespace

int main() {
  for (const bool binary : {false, true}) {
    for (const int applications : {10, 1000, 10000}) {
      const std::string path = recordFile(applications, binary);
      const std::string wanted = "Application " + std::to_string(applications / 2);
      std::vector<double> millis;
      bool found = false;
      for (int run = 0; run < 50; ++run) {
        const auto start = std::chrono::steady_clock::now();
        const auto record = brevinor::readPropertyListDictionary(path);
        const auto launchers = record.document ? record.document->lookup("Lunmark") : std::nullopt;
        const auto entry = launchers ? launchers->lookup(wanted) : std::nullopt;
        found = entry && entry->string();
        millis.push_back(std::chrono::duration<double, std::milli>(
                             std::chrono::steady_clock::now() - start)
                             .count());
      }
      std::sort(millis.begin(), millis.end());
      std::printf("record lookup, %-6s %6d applications: median %6.2f ms  min %6.2f  max %6.2f%s\n",
                  binary ? "binary" : "XML", applications, millis[millis.size() / 2],
                  millis.front(), millis.back(), found ? "" : "  (NOT FOUND)");
      std::remove(path.c_str());
    }
  }
}
