#include "platform/property_list_guard.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdint>
#include <vector>

#include "platform/property_list_document.h"
#include "tests/unit/support/captured_log.h"
#include "tests/unit/support/plist_fixtures.h"
#include "tests/unit/support/temporary_folder.h"

namespace brevinor {
namespace {

using namespace std::string_literals;
using namespace testing;
using Refs = std::vector<std::uint32_t>;

// Hand-made binary lists, for what libplist's writer never produces: 4-byte offsets and
// references, and lengths over 14 in an 8-byte integer after the marker.
std::string bigEndian(std::uint64_t value, int width) {
  std::string out;
  for (int shift = 8 * (width - 1); shift >= 0; shift -= 8) out += char(value >> shift);
  return out;
}
std::string object(unsigned type, std::uint64_t length, const std::string& body) {
  const auto marker = static_cast<char>(type << 4 | (length < 15 ? length : 15));
  return std::string(1, marker) + (length < 15 ? "" : "\x13" + bigEndian(length, 8)) + body;
}
std::string refs(const Refs& references) {
  std::string out;
  for (const auto reference : references) out += bigEndian(reference, 4);
  return out;
}
std::string ascii(const std::string& text) {
  return object(0x5, text.size(), text);
}
std::string utf16(const std::u16string& text) {
  std::string body;
  for (const char16_t unit : text) body += bigEndian(unit, 2);
  return object(0x6, text.size(), body);
}
std::string array(const Refs& references) {
  return object(0xA, references.size(), refs(references));
}
std::string dictionary(const Refs& keys, const Refs& values) {
  return object(0xD, keys.size(), refs(keys) + refs(values));
}
std::string binaryFile(const std::vector<std::string>& objects, std::uint64_t root = 0) {
  std::string out = "bplist00";
  Refs offsets;
  for (const auto& item : objects) {
    offsets.push_back(static_cast<std::uint32_t>(out.size()));
    out += item;
  }
  // The trailer: offset and reference widths, then object count, root and offset table.
  return out + refs(offsets) + std::string(6, '\0') + "\x04\x04" + bigEndian(objects.size(), 8) +
         bigEndian(root, 8) + bigEndian(out.size(), 8);
}

/// A root dictionary holding `value` under "k".
std::string holding(const std::string& value) {
  return binaryFile({dictionary({1}, {2}), ascii("k"), value});
}

/// A root dictionary holding under "k" `levels` arrays, each with `width` references to the
/// next; the last refers to `end`, by default the string after them.
std::string chain(std::uint32_t levels, std::uint32_t width = 1, std::uint32_t end = 0) {
  std::vector<std::string> objects{dictionary({1}, {2}), ascii("k")};
  for (std::uint32_t i = 3; i <= levels + 2; ++i) {
    objects.push_back(array(Refs(width, i <= levels + 1 || !end ? i : end)));
  }
  objects.push_back(ascii("x"));
  return binaryFile(objects);
}

/// 600 arrays in a chain; the first refers to the 400th before the second, so the tail below
/// the 400th is first walked shallow and is too deep only when reached again down the chain.
std::string sharedTooDeep() {
  std::vector<std::string> objects{dictionary({1}, {2}), ascii("k"), array({402, 3})};
  for (std::uint32_t i = 4; i <= 602; ++i) objects.push_back(array({i}));
  objects.push_back(ascii("x"));
  return binaryFile(objects);
}

std::string times(const std::string& text, std::size_t count) {
  std::string result;
  for (std::size_t i = 0; i < count; ++i) result += text;
  return result;
}

/// Distinct keys that libplist's XML reader files in one bucket of its table: "Ez" and "FY" add
/// alike to its hash, so any string of such pairs does.
std::string collidingKeys(std::size_t count) {
  std::string body;
  for (std::size_t i = 0; i < count; ++i) {
    body += "<key>";
    for (int bit = 0; bit < 13; ++bit) body += (i >> bit & 1) ? "Ez" : "FY";
    body += "</key><true/>";
  }
  return body;
}

/// A launcher record of `count` applications, as compact as the agent writes it.
std::string applications(std::size_t count) {
  std::string body = "<key>Lunmark</key><dict>";
  for (std::size_t i = 0; i < count; ++i) {
    body += "<key>Application " + std::to_string(i) + "</key><string>  4242\n</string>";
  }
  return dictionaryPlist(body + "</dict>");
}

TEST(PropertyListGuardTest, EachFileIsReadOrRefusedQuicklyWithOneLine) {
  TemporaryFolder folder;
  const std::string fifo = folder.path() + "/pipe.plist";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const auto xml = [](const std::string& value) { return dictionaryPlist("<key>k</key>" + value); };
  const std::string nodes = "refused: more than 200000 nodes once references are expanded";
  const std::string deep = "refused: nesting deeper than 512",
                    nul = "refused: a string holding U+0000";
  const std::string containers = "refused: more than 16384 dictionaries and arrays in XML",
                    notRegular = "cannot read %: not a regular file";
  struct Case {
    const char* name;
    std::string bytes, failure, path = "";  // a path instead of a file holding the bytes
  };
  // clang-format off
  const Case cases[] = {
      {"references shared up to 64^4 nodes", chain(4, 64), nodes},
      {"200000 nodes", binaryFile({array(Refs(199'999, 1)), ascii("x")}),
       "the root is an array, not a dictionary"},
      {"200001 nodes", binaryFile({array(Refs(200'000, 1)), ascii("x")}), nodes},
      {"binary nesting 512 deep", chain(511), ""},
      {"binary nesting 513 deep", chain(512), deep},
      {"a shared tail too deep on its second use", sharedTooDeep(), deep},
      {"two arrays holding each other", chain(2, 1, 2), "refused: a cycle of references"},
      {"a reference past the objects", chain(1, 1, 9), "refused: object reference out of range"},
      {"a string past the data", holding("\x55xx"), "refused: object runs past the data"},
      {"a root past the objects", binaryFile({dictionary({}, {})}, 1),
       "refused: binary trailer out of range"},
      {"a key not a string", binaryFile({dictionary({1}, {1}), array({})}),
       "refused: a dictionary key that is not a string"},
      {"a key seen as an array", binaryFile({array({1, 2}), array({}), dictionary({1}, {1})}),
       "refused: a dictionary key that is not a string"},
      {"an unknown object type", holding("\x70"), "refused: unknown object type"},
      {"an ASCII value holding U+0000", holding(ascii("a\0b"s)), nul},
      {"a UTF-16 value holding U+0000", holding(utf16(u"\u00e9\0"s)), nul},
      {"an ASCII key holding U+0000", binaryFile({dictionary({1}, {1}), ascii("\0"s)}), nul},
      {"a UTF-16 key holding U+0000", binaryFile({dictionary({1}, {1}), utf16(u"k\0"s)}), nul},
      {"20000 applications in XML", applications(20'000), ""},
      {"XML nesting 16384 deep", xml(times("<array>", 16'383) + times("</array>", 16'383)), ""},
      {"XML nesting 16385 deep", xml(times("<array>", 16'384) + times("</array>", 16'384)),
       containers},
      {"800 XML keys in one bucket", dictionaryPlist(collidingKeys(800)), ""},
      {"1000 XML keys in one bucket", dictionaryPlist(collidingKeys(1'000)),
       "refused: XML keys that collide in libplist's table"},
      {"one XML key 30000 times", dictionaryPlist(times("<key>k</key><true/>", 30'000)), ""},
      {"20000 XML references in short texts",
       xml("<array>" + times("<string>&lt;&amp;&gt;</string>", 20'000) + "</array>"), ""},
      {"a flood of XML references in one text",
       xml("<string>" + times("&amp;", 50'000) + "</string>"),
       "refused: references in XML too costly to decode"},
      {"a NUL byte in XML", xml("<string>a\0b</string>"s), "refused: a NUL byte in XML"},
      {"not a property list", "{ \"ApplicationRunningPrompt\": true }", "not a property list"},
      {"only the binary magic", "bplist00", "refused: binary data too short"},
      {"a 2 MiB file", std::string(2 << 20, ' '), "cannot read %: larger than 1048576 bytes"},
      {"a FIFO", "", notRegular, fifo},
      {"a device", "", notRegular, "/dev/zero"},
      {"a line break in the path", "",
       "cannot read " + folder.path() + "/a\\nb: No such file or directory",
       folder.path() + "/a\nb"},
  };
  // clang-format on
  for (const auto& c : cases) {
    const std::string path = c.path.empty() ? folder.writeFile("crafted.plist", c.bytes) : c.path;
    const auto started = std::chrono::steady_clock::now();
    const PropertyListReading reading = readPropertyListDictionary(path);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5)) << c.name;
    std::string expected = c.failure;
    if (const auto at = expected.find('%'); at != std::string::npos) expected.replace(at, 1, path);
    EXPECT_EQ(reading.failure, expected) << c.name;
    EXPECT_EQ(reading.document.has_value(), expected.empty()) << c.name;
  }
}

TEST(PropertyListGuardTest, EveryTruncationAndByteChangeIsReadOrRefusedWithoutACrash) {
  const std::string everyKind =
      "<key>text</key><string>Try &lt;later&gt; &amp; again</string><key>flag</key><true/>"
      "<key>negative</key><integer>-1</integer><key>when</key><date>2001-01-01T00:16:40Z</date>"
      "<key>large</key><integer>9223372036854775808</integer><key>bytes</key><data>AAEC</data>"
      "<key>list</key><array><string>caf\xC3\xA9 \xE2\x9C\x93</string><real>2.5</real></array>"
      "<key>nested</key><dict><key>uid</key><dict><key>CF$UID</key><integer>3</integer></dict>"
      "</dict>";
  TemporaryFolder folder;
  for (const auto form : kPlistForms) {
    const std::string whole = dictionaryPlist(everyKind, form);
    ASSERT_TRUE(readPropertyListDictionary(folder.writeFile("whole.plist", whole)).document);
    std::vector<std::string> variants;
    for (std::size_t length = 0; length < whole.size(); ++length) {
      variants.push_back(whole.substr(0, length));
    }
    // Damaged lengths, offsets and references past the header; XML has none.
    for (std::size_t at = 8; form == PlistForm::binary && at < whole.size(); ++at) {
      for (const char byte : {'\x00', '\x01', '\x0F', '\x7F', '\xFF'}) {
        variants.push_back(whole);
        variants.back()[at] = byte;
      }
    }
    for (const auto& variant : variants) {
      const auto reading = readPropertyListDictionary(folder.writeFile("damaged.plist", variant));
      EXPECT_EQ(reading.failure.find('\n'), std::string::npos);
      if (!reading.document) continue;
      // Whatever survived must be safe to look at.
      for (const char* key : {"text", "flag", "negative", "list", "nested"}) {
        if (const auto value = reading.document->lookup(key)) (void)value->string();
      }
    }
  }
}

}  // namespace
}  // namespace brevinor
