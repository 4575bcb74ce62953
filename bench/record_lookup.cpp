// What the launching-process check spends on its record file, without the ps child: reading the
// record and looking up one application. Honest records of 10 to 10,000 applications in XML and
// binary form, the largest ones under the 1 MiB cap, a settings file carrying a shell script, and
// the costliest crafted files: the worst the guard lets through (each of its XML limits nearly
// reached in one file; binary lists of shared references at its node and byte limits) and ones
// it refuses.

#include <plist/plist.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "platform/property_list_document.h"

namespace {

constexpr const char* kXmlHead =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>";
constexpr const char* kXmlTail = "</dict></plist>\n";

/// The processor time this process has used; on a shared machine the wall clock also counts
/// the time other programs had the processor.
double cpuMilliseconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

std::string times(const std::string& text, std::size_t count) {
  std::string result;
  result.reserve(text.size() * count);
  for (std::size_t i = 0; i < count; ++i) result += text;
  return result;
}

std::string written(plist_t root, bool binary) {
  char* bytes = nullptr;
  uint32_t length = 0;
  if (binary) {
    plist_to_bin(root, &bytes, &length);
  } else {
    plist_to_xml(root, &bytes, &length);
  }
  std::string content(bytes, length);
  free(bytes);
  plist_free(root);
  return content;
}

/// A record as libplist writes it (XML with indentation).
std::string record(int applications, bool binary) {
  plist_t launchers = plist_new_dict();
  for (int i = 0; i < applications; ++i) {
    plist_dict_set_item(launchers, ("Application " + std::to_string(i)).c_str(),
                        plist_new_string("  4242\n"));
  }
  plist_t root = plist_new_dict();
  plist_dict_set_item(root, "Lunmark", launchers);
  return written(root, binary);
}

/// A record in XML without indentation, as compact as an agent may write it.
std::string compactRecord(int applications) {
  std::string body = "<key>Lunmark</key><dict>";
  for (int i = 0; i < applications; ++i) {
    body += "<key>Application " + std::to_string(i) + "</key><string>  4242\n</string>";
  }
  return kXmlHead + body + "</dict>" + kXmlTail;
}

/// Distinct keys that land in one bucket of libplist's dictionary table.
std::string collidingKeys(std::size_t count) {
  std::string body;
  for (std::size_t i = 0; i < count; ++i) {
    body += "<key>";
    for (int bit = 0; bit < 13; ++bit) body += (i >> bit & 1) ? "Ez" : "FY";
    body += "</key><true/>";
  }
  return body;
}

/// Just within every XML limit at once: nesting, colliding keys, a flood of references; padded
/// to the cap.
std::string worstXml() {
  std::string body = "<key>Lunmark</key><dict>" + collidingKeys(890) + "</dict>";
  body += "<key>flood</key><string>" + times("&amp;", 35'800) + times("a", 400) + "</string>";
  body += "<key>deep</key>" + times("<array>", 16'380) + times("</array>", 16'380);
  body += "<key>pad</key><array>";
  const std::size_t used = body.size() + 200;
  body += times("<true/>", (1'048'576 - used) / 7) + "</array>";
  return kXmlHead + body + kXmlTail;
}

/// The root dictionary holds an array of `references` references to one shared string of
/// `length` bytes (libplist writes each distinct value once).
std::string sharedReferences(std::size_t references, std::size_t length) {
  const std::string text(length, 'a');
  plist_t shared = plist_new_array();
  for (std::size_t i = 0; i < references; ++i) {
    plist_array_append_item(shared, plist_new_string(text.c_str()));
  }
  plist_t root = plist_new_dict();
  plist_dict_set_item(root, "Lunmark", shared);
  return written(root, true);
}

/// A string of `length` bytes referenced `references` times, with one-byte references as no
/// writer makes them: 190,000 references to 700 KB fit in 890 KB.
std::string sharedStringFlood(std::size_t references, std::size_t length) {
  const auto be = [](std::uint64_t value) {
    std::string out;
    for (int shift = 56; shift >= 0; shift -= 8) out += static_cast<char>(value >> shift);
    return out;
  };
  std::string out = "bplist00";
  const std::uint64_t arrayAt = out.size();
  out += "\xAF\x13" + be(references) + std::string(references, '\x01');
  const std::uint64_t stringAt = out.size();
  out += "\x5F\x13" + be(length) + std::string(length, 'a');
  const std::uint64_t tableAt = out.size();
  out += be(arrayAt) + be(stringAt);
  return out + std::string(6, '\0') + "\x08\x01" + be(2) + be(0) + be(tableAt);
}

/// A settings file that carries a shell script of 150 KB with 19,000 references in it.
std::string scriptSettings() {
  const std::string line =
      "if [ &quot;$state&quot; &gt; &quot;$limit&quot; ]; then echo &quot;patched $name&quot; "
      "&gt;&amp;2 &amp;&amp; exit 1; fi\n";
  return kXmlHead +
         ("<key>IS_REBRANDED</key><true/><key>script</key><string>" + times(line, 1'737) +
          "</string>") +
         kXmlTail;
}

}  // namespace

int main() {
  const struct {
    std::string name;
    std::function<std::string()> make;
  } files[] = {
      {"XML, 10 applications", [] { return record(10, false); }},
      {"XML, 1000 applications", [] { return record(1'000, false); }},
      {"XML, 10000 applications", [] { return record(10'000, false); }},
      {"XML, 20000 applications, compact", [] { return compactRecord(20'000); }},
      {"binary, 10 applications", [] { return record(10, true); }},
      {"binary, 10000 applications", [] { return record(10'000, true); }},
      {"binary, 38000 applications", [] { return record(38'000, true); }},
      {"XML settings with a 150 KB shell script", scriptSettings},
      {"crafted XML at every limit", worstXml},
      {"crafted binary, 200000 shared nodes", [] { return sharedReferences(199'996, 0); }},
      {"crafted binary, 200000 x a 32-byte string", [] { return sharedReferences(199'996, 32); }},
      {"crafted binary, 64 x a 500 KB string", [] { return sharedReferences(64, 512'000); }},
      {"crafted binary, refused: 190000 x 700 KB",
       [] { return sharedStringFlood(190'000, 700'000); }},
      {"crafted XML, refused: 16384 colliding keys",
       [] { return kXmlHead + collidingKeys(16'384) + kXmlTail; }},
      {"crafted XML, refused: 200000 references",
       [] {
         return kXmlHead + ("<key>k</key><string>" + times("&amp;", 200'000)) + "</string>" +
                kXmlTail;
       }},
  };
  const std::string path = "/tmp/brevinor-bench-record.plist";
  for (const auto& file : files) {
    const std::string content = file.make();
    std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
    std::vector<double> millis, cpuMillis;
    std::string outcome;
    for (int run = 0; run < 21; ++run) {
      const double cpuStart = cpuMilliseconds();
      const auto start = std::chrono::steady_clock::now();
      const auto read = brevinor::readPropertyListDictionary(path);
      const auto launchers = read.document ? read.document->lookup("Lunmark") : std::nullopt;
      const auto entry = launchers ? launchers->lookup("Application 5000") : std::nullopt;
      millis.push_back(
          std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
              .count());
      cpuMillis.push_back(cpuMilliseconds() - cpuStart);
      outcome = !read.document ? read.failure : entry && entry->string() ? "found" : "read";
    }
    std::sort(millis.begin(), millis.end());
    std::sort(cpuMillis.begin(), cpuMillis.end());
    std::printf(
        "record lookup, %-42s %8zu bytes: median %7.2f ms  min %7.2f  max %7.2f  "
        "(processor: median %7.2f  max %7.2f)  %s\n",
        file.name.c_str(), content.size(), millis[millis.size() / 2], millis.front(), millis.back(),
        cpuMillis[cpuMillis.size() / 2], cpuMillis.back(), outcome.c_str());
  }
  std::remove(path.c_str());
}
