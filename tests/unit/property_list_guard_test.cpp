// The property-list reader's refusals, each limit probed on both sides.
#include <gtest/gtest.h>

#include <cstdint>

#include "platform/property_list_document.h"
#include "tests/unit/support/test_support.h"

using namespace brevinor;
using namespace brevinor::testing;
using namespace std::string_literals;
using Refs = std::vector<std::uint32_t>;

// Binary lists written by hand with 4-byte offsets and references, as no writer would.
std::string bigEndian(std::uint64_t value, int width) {
  std::string out;
  for (int shift = 8 * (width - 1); shift >= 0; shift -= 8) out += char(value >> shift);
  return out;
}
std::string object(unsigned type, std::uint64_t length, const std::string& body) {
  const std::string marker(1, char(type << 4 | (length < 15 ? length : 15)));
  return marker + (length < 15 ? "" : "\x13" + bigEndian(length, 8)) + body;
}
std::string array(const Refs& refs) {
  std::string body;
  for (const auto ref : refs) body += bigEndian(ref, 4);
  return object(0xA, refs.size(), body);
}
std::string ascii(const std::string& text) {
  return object(0x5, text.size(), text);
}
/// The objects, then their offsets and the trailer: widths, object count, root, table offset.
std::string binaryFile(const std::vector<std::string>& objects, std::uint64_t root = 0) {
  std::string out = "bplist00", table;
  for (const auto& item : objects) table += bigEndian(out.size(), 4), out += item;
  return out + table + std::string(6, '\0') + "\x04\x04" + bigEndian(objects.size(), 8) +
         bigEndian(root, 8) + bigEndian(out.size(), 8);
}
/// A root dictionary holding `value` under "k"; object 2 is the value.
std::string holding(const std::string& value) {
  return binaryFile({object(0xD, 1, bigEndian(1, 4) + bigEndian(2, 4)), ascii("k"), value});
}
/// A root dictionary holding `levels` nested arrays; the last refers to `end`, by default the
/// string after them.
std::string chain(std::uint32_t levels, std::uint32_t end = 0) {
  std::vector<std::string> objects{object(0xD, 1, bigEndian(1, 4) + bigEndian(2, 4)), ascii("k")};
  for (std::uint32_t i = 3; i <= levels + 2; ++i)
    objects.push_back(array({i <= levels + 1 || !end ? i : end}));
  return objects.push_back(ascii("x")), binaryFile(objects);
}
std::string times(const std::string& text, std::size_t count) {
  std::string out;
  while (count--) out += text;
  return out;
}
/// Distinct keys in one bucket of libplist's table: "Ez" and "FY" add alike to its hash.
std::string collidingKeys(std::size_t count) {
  std::string body;
  for (std::size_t i = 0; i < count; ++i) {
    body += "<key>";
    for (int bit = 0; bit < 13; ++bit) body += (i >> bit & 1) ? "Ez" : "FY";
    body += "</key><true/>";
  }
  return dictionaryPlist(body);
}

TEST(PropertyListGuardTest, EachFileIsReadOrRefusedWithOneLine) {
  TemporaryFolder folder;
  const auto xml = [](const std::string& value) { return dictionaryPlist("<key>k</key>" + value); };
  const std::string deep = "refused: nesting deeper than 512",
                    key = "refused: a dictionary key that is not a string",
                    nodes = "refused: more than 200000 nodes once references are expanded",
                    filled = xml("<true/>"), padding(std::size_t{1 << 20} - filled.size(), ' ');
  // The first node of the second array of 600 refers back to the 400th, which is then first
  // walked 2 deep and only too deep when reached again along the chain.
  std::vector<std::string> shared{object(0xD, 1, bigEndian(1, 4) + bigEndian(2, 4)), ascii("k"),
                                  array({402, 3})};
  for (std::uint32_t i = 4; i <= 602; ++i) shared.push_back(array({i}));
  shared.push_back(ascii("x"));
  const std::size_t at = filled.find("<key>");
  std::string badOffset = holding(ascii("v"));
  badOffset.replace(badOffset.size() - 44, 4, "\xff\xff\xff\xff");
  // clang-format off
  const std::pair<std::string, std::string> cases[] = {
      {binaryFile({array(Refs(199'999, 1)), ascii("x")}), "the root is an array, not a dictionary"},
      {binaryFile({array(Refs(200'000, 1)), ascii("x")}), nodes},
      {chain(511), ""}, {chain(512), deep}, {binaryFile(shared), deep},
      {chain(2, 2), "refused: a cycle of references"},
      {chain(1, 9), "refused: object reference out of range"},
      {holding("\x55xx"), "refused: object runs past the data"},
      {badOffset, "refused: object offset out of range"},
      {binaryFile({object(0xD, 0, "")}, 1), "refused: binary trailer out of range"},
      {binaryFile({object(0xD, 1, bigEndian(1, 4) + bigEndian(1, 4)), array({})}), key},
      {binaryFile({array({1, 2}), array({}), object(0xD, 1, bigEndian(1, 4) + bigEndian(1, 4))}, 2), key},
      {holding("\x70"), "refused: unknown object type"},
      {holding(ascii("a\0b"s)), "refused: a string holding U+0000"},
      {"bplist00", "refused: binary data too short"},
      {xml(times("<array>", 16'383) + times("</array>", 16'383)), ""},
      {xml(times("<array>", 16'384) + times("</array>", 16'384)),
       "refused: more than 16384 dictionaries and arrays in XML"},
      {collidingKeys(800), ""},
      {collidingKeys(1'000), "refused: XML keys that collide in libplist's table"},
      {dictionaryPlist(times("<key>k</key><true/>", 30'000)), ""},
      {xml("<array>" + times("<string>&lt;&amp;&gt;</string>", 20'000) + "</array>"), ""},
      {xml("<string>" + times("&amp;", 50'000) + "</string>"), "refused: references in XML too costly to decode"},
      {xml("<string>a\0b</string>"s), "refused: a NUL byte in XML"},
      {"{ \"ApplicationRunningPrompt\": true }", "not a property list"},
      {filled.substr(0, at) + padding + filled.substr(at), ""},
      {filled.substr(0, at) + padding + " " + filled.substr(at), "cannot read %: larger than 1048576 bytes"},
  };
  // clang-format on
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const auto& [bytes, failure] = cases[i];
    const std::string path = folder.write("crafted.plist", bytes);
    const PropertyListReading reading = readPropertyListDictionary(path);
    const std::string expected = std::regex_replace(failure, std::regex("%"), path);
    EXPECT_EQ(reading.failure, expected) << "case " << i;
    EXPECT_EQ(reading.document.has_value(), expected.empty());
  }
}
