// The property-list reader's refusals, each limit probed on both sides.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <regex>

#include "platform/property_list_document.h"
#include "tests/unit/support/test_support.h"

using namespace brevinor;
using namespace std::string_literals;

// Binary lists written by hand, with 4-byte offsets and references as no writer makes them.
std::string be(std::uint64_t value, int width = 4) {
  std::string out;
  for (int shift = 8 * (width - 1); shift >= 0; shift -= 8) out += char(value >> shift);
  return out;
}
/// An object: its marker, a length over 14 as an 8-byte integer after it, then the body.
std::string object(int type, std::uint64_t length, const std::string& body) {
  std::string out(1, char(type << 4 | std::min<std::uint64_t>(length, 15)));
  if (length >= 15) out += '\x13' + be(length, 8);
  return out + body;
}
std::string array(const std::vector<std::uint32_t>& refs) {
  std::string body;
  for (const auto ref : refs) body += be(ref);
  return object(0xA, refs.size(), body);
}
/// The objects, then their offsets and the trailer: widths, object count, root, table offset.
std::string binaryFile(std::vector<std::string> objects, std::uint64_t root = 0) {
  std::string out = "bplist00", table;
  for (const auto& item : objects) table += be(out.size()), out += item;
  return out + table + std::string(6, '\0') + "\x04\x04" + be(objects.size(), 8) + be(root, 8) +
         be(out.size(), 8);
}
/// A root dictionary holding under "x" the first of `levels` nested arrays, the innermost
/// holding "x" too.
std::vector<std::string> chain(std::uint32_t levels) {
  std::vector<std::string> objects{object(0xD, 1, be(1) + be(2)), object(0x5, 1, "x")};
  for (std::uint32_t i = 2; i <= levels + 1; ++i) objects.push_back(array({i + 1}));
  return objects.push_back(object(0x5, 1, "x")), objects;
}

// The bucket of libplist's dictionary table that a key lands in, as libplist computes it.
unsigned libplistBucket(const std::string& key) {
  unsigned hash = 5381;
  for (const char c : key) hash = hash * 33 + static_cast<unsigned>(c);
  return hash % 4096;
}

std::string times(const std::string& text, std::size_t count) {
  std::string out;
  while (count--) out += text;
  return out;
}
TEST(PropertyListGuardTest, EachFileIsReadOrRefusedWithOneLine) {
  TemporaryFolder folder;
  const std::string x = object(0x5, 1, "x"), dict = object(0xD, 1, be(1) + be(2)),
                    key = "refused: a dictionary key that is not a string";
  // 600 nested arrays; the first refers to the 400th before the second, so the tail below the
  // 400th is first walked shallow and too deep only when reached again along the chain.
  std::vector<std::string> shared = chain(600);
  shared[2] = array({402, 3});
  std::string badOffset = binaryFile({dict, x, x});
  badOffset.replace(badOffset.size() - 44, 4, "\xff\xff\xff\xff");
  // Each limit, a file that reaches it with n and exceeds it with n + 1, and the refusal.
  // clang-format off
  const std::tuple<std::function<std::string(std::size_t)>, std::size_t, std::string> limits[] = {
      // 3 + 1000 * n nodes: each reference to the shared array costs its 1000.
      {[&](std::size_t n) { return binaryFile({dict, x, array(std::vector(n, 3u)),
                                               array(std::vector(999, 1u))}); },
       199, "refused: more than 200000 nodes once references are expanded"},
      // 128 * 67 + 1 + 64 * n bytes: each reference copies the string.
      {[&](std::size_t n) { return binaryFile({dict, x, array(std::vector(64, 3u)),
                                               object(0x5, n, std::string(n, 'a'))}); },
       524'153, "refused: more than 33554432 bytes once references are expanded"},
      {[](std::size_t n) { return binaryFile(chain(n)); }, 511, "refused: nesting deeper than 512"},
      {[](std::size_t n) { return dictionaryPlist("<key>k</key>" + times("<array>", n) +
                                                  times("</array>", n)); },
       16'383, "refused: more than 16384 dictionaries and arrays in XML"},
      // 8192 * n + 2.5 * 8192 * 8193 bytes moved: each reference moves the rest of its text.
      {[](std::size_t n) { return dictionaryPlist("<key>k</key><string>" + times("&amp;", 8192) +
                                                  std::string(n, 'a') + "</string>"); },
       372'733, "refused: references in XML too costly to decode"},
      // n keys of 3 to 2n + 1 bytes in one bucket, each "FY" * i and three letters:
      // n * n * (2n + 17).
      {[](std::size_t n) { std::string k;
                           for (std::size_t i = 0; i < n; ++i) {
                             std::string key = times("FY", i) + "AAA";
                             for (int j = 0; libplistBucket(key) != 0; ++j) {
                               for (int d = 0; d < 3; ++d) key[2 * i + d] = 'A' + (j >> (5 * d)) % 26;
                             }
                             k += "<key>" + key + "</key><true/>";
                           }
                           return dictionaryPlist(k); },
       253, "refused: XML keys that collide in libplist's table"},
      {[](std::size_t n) { return dictionaryPlist(std::string(n, ' ')); }, (1 << 20) - 63,
       "cannot read %: larger than 1048576 bytes"},
  };
  std::vector<std::pair<std::string, std::string>> cases = {
      {binaryFile(shared), "refused: nesting deeper than 512"},
      {binaryFile({dict, x, array({2})}), "refused: a cycle of references"},
      {binaryFile({dict, x, array({9})}), "refused: object reference out of range"},
      {binaryFile({dict, x, "\x55xx"}), "refused: object runs past the data"},
      {badOffset, "refused: object offset out of range"},
      {binaryFile({object(0xD, 0, "")}, 1), "refused: binary trailer out of range"},
      {binaryFile({object(0xD, 1, be(1) + be(1)), array({})}), key},
      {binaryFile({array({1, 2}), array({}), object(0xD, 1, be(1) + be(1))}), key},
      {binaryFile({dict, x, "\x70"}), "refused: unknown object type"},
      {binaryFile({dict, x, object(0x5, 3, "a\0b"s)}), "refused: a string holding U+0000"},
      {"bplist00", "refused: binary data too short"}, {"{}", "not a property list"},
      {dictionaryPlist("<key>k</key><string>a\0b</string>"s), "refused: a NUL byte in XML"},
      // A settings file carrying a shell script: 19,107 references in 208 KB.
      {dictionaryPlist("<key>script</key><string>" + times("if [ &quot;$state&quot; &gt; &quot;"
          "$limit&quot; ]; then echo &quot;patched $name&quot; &gt;&amp;2 &amp;&amp; exit 1; fi\n",
          1737) + "</string>"), ""},
  };
  // clang-format on
  for (const auto& [make, n, refusal] : limits)
    cases.insert(cases.end(), {{make(n), ""}, {make(n + 1), refusal}});
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const std::string path = folder.write("crafted.plist", cases[i].first);
    const PropertyListReading reading = readPropertyListDictionary(path);
    EXPECT_EQ(reading.failure, std::regex_replace(cases[i].second, std::regex("%"), path)) << i;
    EXPECT_EQ(reading.document.has_value(), cases[i].second.empty()) << i;
  }
}
