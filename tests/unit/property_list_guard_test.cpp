#include "platform/property_list_guard.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <chrono>
#include <functional>

#include "platform/property_list_document.h"
#include "tests/unit/support/captured_log.h"
#include "tests/unit/support/plist_fixtures.h"

namespace brevinor {
namespace {

using namespace std::string_literals;
namespace bplist = testing::bplist;
using testing::dictionaryOf;
using testing::PlistForm;
using testing::serialized;
using testing::TemporaryFolder;

long peakKilobytes() {
  struct rusage usage {};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

/// A binary list whose root dictionary holds `value` (object 2 onwards) under "k".
std::string binaryHolding(std::vector<std::string> objects) {
  objects.insert(objects.begin(), {bplist::dictionary({1}, {2}), bplist::asciiString("k")});
  return bplist::file(objects);
}

/// `levels` arrays, each holding `width` references to the next; the last holds a string.
std::string sharingBomb(std::uint32_t levels, std::uint32_t width) {
  std::vector<std::string> objects;
  for (std::uint32_t level = 0; level < levels; ++level) {
    objects.push_back(bplist::array(std::vector<std::uint32_t>(width, level + 3)));
  }
  objects.push_back(bplist::asciiString("x"));
  return binaryHolding(objects);
}

/// `depth` arrays, each holding the next; the innermost is empty.
std::string binaryNesting(std::uint32_t depth) {
  std::vector<std::string> objects;
  for (std::uint32_t level = 0; level < depth; ++level) {
    objects.push_back(level + 1 < depth ? bplist::array({level + 3}) : bplist::array({}));
  }
  return binaryHolding(objects);
}

std::string xmlNesting(std::size_t depth) {
  std::string xml = "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>k</key>";
  for (std::size_t i = 0; i < depth; ++i) xml += "<array>";
  for (std::size_t i = 0; i < depth; ++i) xml += "</array>";
  return xml + "</dict></plist>";
}

std::string xmlDictionaryOf(const std::string& body) {
  return "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict>" + body + "</dict></plist>";
}

std::string repeated(const std::string& text, std::size_t times) {
  std::string result;
  for (std::size_t i = 0; i < times; ++i) result += text;
  return result;
}

/// Keys that are anagrams of each other, which libplist's XML reader hashes alike.
std::string collidingKeys(std::size_t count) {
  std::string body;
  for (std::size_t i = 0; i < count; ++i) {
    std::string key;
    for (int bit = 0; bit < 15; ++bit) key += (i >> bit & 1) ? "ab" : "ba";
    body += "<key>" + key + "</key><true/>";
  }
  return body;
}

struct RefusalCase {
  const char* description;
  std::function<std::string()> bytes;
  std::string failure;  // "%" stands for the file's path
};

TEST(PropertyListGuardTest, CraftedFilesAreTurnedAwayQuicklyAndInLittleMemory) {
  const auto arrayOfOneString = [](std::uint32_t references) {
    return bplist::file(
        {bplist::array(std::vector<std::uint32_t>(references, 1)), bplist::asciiString("x")});
  };
  const RefusalCase cases[] = {
      {"shared references expanding to 64^4 nodes", [] { return sharingBomb(4, 64); },
       "refused: more than 100000 nodes once references are expanded"},
      {"100000 nodes are the most", [&] { return arrayOfOneString(99'999); },
       "the root is an array, not a dictionary"},
      {"100001 nodes", [&] { return arrayOfOneString(100'000); },
       "refused: more than 100000 nodes once references are expanded"},
      {"binary nesting 10^5 deep", [] { return binaryNesting(100'000); },
       "refused: nesting deeper than 512"},
      {"binary nesting 512 deep is the most", [] { return binaryNesting(511); }, ""},
      {"binary nesting 513 deep", [] { return binaryNesting(512); },
       "refused: nesting deeper than 512"},
      {"a shared subtree made too deep by its second use",
       [] {
         // Object 3 holds 400 levels; object 2 reaches it directly and again 200 levels down.
         std::vector<std::string> objects{bplist::dictionary({1}, {2}), bplist::asciiString("k"),
                                          bplist::array({3, 403})};
         for (std::uint32_t level = 0; level < 400; ++level) {
           objects.push_back(level + 1 < 400 ? bplist::array({level + 4}) : bplist::array({}));
         }
         for (std::uint32_t level = 0; level < 200; ++level) {
           objects.push_back(bplist::array({level + 1 < 200 ? level + 404 : 3}));
         }
         return bplist::file(objects);
       },
       "refused: nesting deeper than 512"},
      {"an array holding itself", [] { return binaryHolding({bplist::array({2})}); },
       "refused: a cycle of references"},
      {"two arrays holding each other",
       [] {
         return binaryHolding({bplist::array({3}), bplist::array({2})});
       },
       "refused: a cycle of references"},
      {"the root's key refers back to the root",
       [] { return bplist::file({bplist::dictionary({0}, {0})}); },
       "refused: a cycle of references"},
      {"a reference past the objects", [] { return binaryHolding({bplist::array({9})}); },
       "refused: object reference out of range"},
      {"a string longer than the data",
       [] {
         std::string text = bplist::asciiString(std::string(20, 'x'));
         return binaryHolding({text.substr(0, 12)});
       },
       "refused: object runs past the data"},
      {"a key that is not a string",
       [] {
         return bplist::file({bplist::dictionary({1}, {1}), bplist::array({})});
       },
       "refused: a dictionary key that is not a string"},
      {"an unknown object type", [] { return binaryHolding({"\x70"}); },
       "refused: unknown object type"},
      {"a root past the objects", [] { return bplist::file({bplist::dictionary({}, {})}, 1); },
       "refused: binary trailer out of range"},
      {"an ASCII value holding U+0000",
       [] { return binaryHolding({bplist::asciiString("a\0b"s)}); },
       "refused: a string holding U+0000"},
      {"a UTF-16 value holding U+0000",
       [] { return binaryHolding({bplist::utf16String(u"\u00e9\0"s)}); },
       "refused: a string holding U+0000"},
      {"an ASCII key holding U+0000",
       [] {
         return bplist::file({bplist::dictionary({1}, {1}), bplist::asciiString("\0"s)});
       },
       "refused: a string holding U+0000"},
      {"a UTF-16 key holding U+0000",
       [] {
         return bplist::file({bplist::dictionary({1}, {1}), bplist::utf16String(u"k\0"s)});
       },
       "refused: a string holding U+0000"},
      {"XML nesting 10^5 deep", [] { return xmlNesting(100'000); },
       "cannot read %: larger than 1048576 bytes"},
      {"XML nesting 60000 deep", [] { return xmlNesting(60'000); },
       "refused: more than 10000 of \"<array\" in XML"},
      {"XML with 10001 dictionaries",
       [] {
         return xmlDictionaryOf("<key>k</key><array>" + repeated("<dict/>", 10'001) + "</array>");
       },
       "refused: more than 10000 of \"<dict\" in XML"},
      {"XML with 10001 colliding keys", [] { return xmlDictionaryOf(collidingKeys(10'001)); },
       "refused: more than 10000 of \"<key\" in XML"},
      {"XML with 10000 colliding keys is the most",
       [] { return xmlDictionaryOf(collidingKeys(10'000)); }, ""},
      {"XML with 10001 references",
       [] {
         return xmlDictionaryOf("<key>k</key><string>" + repeated("&amp;", 10'001) + "</string>");
       },
       "refused: more than 10000 of \"&\" in XML"},
      {"a NUL byte in an XML value",
       [] { return xmlDictionaryOf("<key>k</key><string>a\0b</string>"s); },
       "refused: a NUL byte in XML"},
      {"a NUL byte in an XML key", [] { return xmlDictionaryOf("<key>k\0</key><true/>"s); },
       "refused: a NUL byte in XML"},
      {"a 2 MiB file", [] { return std::string(2 * 1024 * 1024, ' '); },
       "cannot read %: larger than 1048576 bytes"},
  };
  TemporaryFolder folder;
  for (const auto& c : cases) {
    const std::string path = folder.writeFile("crafted.plist", c.bytes());
    const long peakBefore = peakKilobytes();
    const auto started = std::chrono::steady_clock::now();
    const PropertyListReading reading = readPropertyListDictionary(path);
    const auto elapsed = std::chrono::steady_clock::now() - started;
    std::string expected = c.failure;
    if (const auto at = expected.find('%'); at != std::string::npos) expected.replace(at, 1, path);
    EXPECT_EQ(reading.failure, expected) << c.description;
    EXPECT_EQ(reading.document.has_value(), expected.empty()) << c.description;
    EXPECT_LT(elapsed, std::chrono::seconds(2)) << c.description << " hangs";
    EXPECT_LT(peakKilobytes() - peakBefore, 256 * 1024)
        << c.description << " takes too much memory";
  }
}

TEST(PropertyListGuardTest, AFifoOrADeviceIsNotWaitedOn) {
  TemporaryFolder folder;
  const std::string fifo = folder.path() + "/pipe.plist";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& path : {fifo, std::string("/dev/zero")}) {
    EXPECT_EQ(readPropertyListDictionary(path).failure,
              "cannot read " + path + ": not a regular file");
  }
}

/// A dictionary holding every kind of value, as the agent might write it.
std::string everyKind(PlistForm form) {
  plist_t array = plist_new_array();
  plist_array_append_item(array, plist_new_string("caf\xC3\xA9 \xE2\x9C\x93"));
  plist_array_append_item(array, plist_new_real(2.5));
  return serialized(dictionaryOf({{"text", plist_new_string("Try <later> & again")},
                                  {"flag", plist_new_bool(1)},
                                  {"negative", plist_new_uint(static_cast<std::uint64_t>(-1))},
                                  {"large", plist_new_uint(1ULL << 63)},
                                  {"when", plist_new_date(1000, 0)},
                                  {"bytes", plist_new_data("\0\1\2", 3)},
                                  {"list", array},
                                  {"nested", dictionaryOf({{"uid", plist_new_uid(3)}})}}),
                    form);
}

TEST(PropertyListGuardTest, EveryTruncationAndEveryByteChangeIsReadOrRefusedWithoutACrash) {
  TemporaryFolder folder;
  for (const auto form : {PlistForm::xml, PlistForm::binary}) {
    const std::string whole = everyKind(form);
    std::vector<std::string> variants;
    for (std::size_t length = 0; length < whole.size(); ++length) {
      variants.push_back(whole.substr(0, length));
    }
    if (form == PlistForm::binary) {
      for (std::size_t at = 8; at < whole.size(); ++at) {
        for (const char replacement : {'\x00', '\x01', '\x0F', '\x7F', '\xFF'}) {
          std::string changed = whole;
          changed[at] = replacement;
          variants.push_back(changed);
        }
      }
    }
    std::size_t read = 0;
    for (const auto& variant : variants) {
      const PropertyListReading reading =
          readPropertyListDictionary(folder.writeFile("damaged.plist", variant));
      if (reading.document) {
        ++read;
        // Whatever survived must be safe to look at.
        for (const char* key : {"text", "flag", "negative", "list", "nested"}) {
          if (const auto value = reading.document->lookup(key)) (void)value->string();
        }
      } else {
        EXPECT_EQ(reading.failure.find('\n'), std::string::npos);
      }
    }
    EXPECT_LT(read, variants.size()) << testing::formName(form);
    EXPECT_TRUE(readPropertyListDictionary(folder.writeFile("whole.plist", whole)).document)
        << testing::formName(form);
  }
}

}  // namespace
}  // namespace brevinor
