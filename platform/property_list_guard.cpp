#include "platform/property_list_guard.h"

#include <plist/plist.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <unordered_set>
#include <vector>

namespace brevinor {
namespace {

constexpr std::string_view kBinaryMagic = "bplist00";
constexpr std::size_t kTrailerSize = 32;

// libplist's XML reader files each dictionary key in a table of 4096 buckets by this hash of
// the key's node (its type, then the key's bytes as signed chars); a new key is compared with
// every other key in its bucket.
constexpr unsigned kKeyBuckets = 4096;
constexpr unsigned kOddKeyBucket = kKeyBuckets;  // keys whose bytes libplist would decode first

unsigned keyBucket(std::string_view key) {
  unsigned hash = 5381u;  // libplist's own hash of a key's bytes
  for (const char c : key) hash = hash * 33u + static_cast<unsigned>(static_cast<signed char>(c));
  return hash & (kKeyBuckets - 1);
}

bool startsElement(std::string_view tag, std::string_view name) {
  return tag.substr(1).starts_with(name);
}

/// The work libplist's XML reader would do, estimated from above in one pass without parsing:
/// every count errs on the side of more work (a `<dict` in a comment still counts).
std::optional<std::string> xmlRefusal(std::string_view xml) {
  if (xml.find('\0') != std::string_view::npos) return "a NUL byte in XML";
  std::uint64_t referenceWork = 0;
  std::size_t containers = 0;
  struct Bucket {
    std::uint64_t distinct = 0, uses = 0, longest = 0;
  };
  std::vector<Bucket> buckets(kKeyBuckets + 1);
  std::unordered_set<std::string_view> keys;

  std::size_t textStart = 0;
  for (std::size_t at = xml.find('<'); textStart < xml.size(); at = xml.find('<', at + 1)) {
    // The text up to this tag: libplist decodes each reference in it by moving the rest of
    // the text, so each costs the bytes after it, a quadratic cost in all.
    const std::string_view text = xml.substr(textStart, at - textStart);
    for (std::size_t ref = text.find('&'); ref != std::string_view::npos;
         ref = text.find('&', ref + 1)) {
      referenceWork += text.size() - ref;
    }
    if (at == std::string_view::npos) break;
    textStart = at + 1;
    const std::string_view tag = xml.substr(at);
    if (startsElement(tag, "dict") || startsElement(tag, "array")) {
      if (!tag.starts_with("<dict/>") && !tag.starts_with("<array/>")) ++containers;
    } else if (startsElement(tag, "key")) {
      // The key as libplist stores it, when it is plain text between <key> and </key>; any
      // other counts as distinct from every key, in a bucket of its own kind, as long as the
      // rest of its element.
      const std::size_t contentAt = std::min(at + 5, xml.size());
      const std::size_t contentEnd = std::min(xml.find('<', contentAt), xml.size());
      const std::string_view key = xml.substr(contentAt, contentEnd - contentAt);
      const bool plain = tag.starts_with("<key>") && xml.substr(contentEnd).starts_with("</key>") &&
                         key.find('&') == std::string_view::npos;
      Bucket& bucket = buckets[plain ? keyBucket(key) : kOddKeyBucket];
      if (!plain || keys.insert(key).second) ++bucket.distinct;
      ++bucket.uses;
      const std::size_t length =
          plain ? key.size() : std::min(xml.find("</key>", contentAt), xml.size()) - contentAt;
      bucket.longest = std::max<std::uint64_t>(bucket.longest, length);
    }
  }
  if (referenceWork > kMaxXmlReferenceWork) return "references in XML too costly to decode";
  if (containers > kMaxXmlContainers) {
    return "more than " + std::to_string(kMaxXmlContainers) + " dictionaries and arrays in XML";
  }
  // Each key is compared at most with every distinct key of its bucket, at a cost that grows
  // with the key's length.
  std::uint64_t keyWork = 0;
  for (const Bucket& bucket : buckets)
    keyWork += bucket.distinct * bucket.uses * (16 + bucket.longest);
  if (keyWork > kMaxXmlKeyWork) return "XML keys that collide in libplist's table";
  return std::nullopt;
}

// libplist parses the binary form recursively and without sharing limits, so its structure is
// checked here first. No library offers such a check; the walk keeps its own stack so that the
// check itself cannot overflow one.
class BinaryWalk {
 public:
  explicit BinaryWalk(std::string_view data) : data_(data) {}

  std::optional<std::string> refusal() {
    if (auto trailer = readTrailer()) return trailer;
    return walkFromRoot();
  }

 private:
  enum class State : std::uint8_t { unseen, open, done };

  /// An object's place in the data: a leaf, or a container with its references.
  struct Shape {
    bool container = false;
    bool string = false;
    std::uint64_t references = 0;  ///< for a dictionary, keys and values together
    std::size_t referencesAt = 0;
    std::uint64_t keyCount = 0;  ///< the first this many references must name strings
    std::uint64_t payload = 0;   ///< the bytes libplist copies for a string or data
  };

  /// What one reference to an object costs once libplist has parsed it: its whole subtree.
  struct Cost {
    std::uint64_t nodes = 1;
    std::uint64_t bytes = kBinaryNodeBytes;
  };

  /// A container being walked.
  struct Frame {
    std::uint64_t object;
    Shape shape;
    std::uint64_t next = 0;
    Cost cost = {};
    std::uint64_t height = 1;
  };

  std::uint64_t bigEndian(std::size_t at, std::size_t width) const {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < width; ++i) {
      value = (value << 8) | static_cast<unsigned char>(data_[at + i]);
    }
    return value;
  }

  std::optional<std::string> readTrailer() {
    if (data_.size() < kBinaryMagic.size() + 1 + kTrailerSize) return "binary data too short";
    const std::size_t trailer = data_.size() - kTrailerSize;
    offsetWidth_ = static_cast<unsigned char>(data_[trailer + 6]);
    referenceWidth_ = static_cast<unsigned char>(data_[trailer + 7]);
    objectCount_ = bigEndian(trailer + 8, 8);
    root_ = bigEndian(trailer + 16, 8);
    const std::uint64_t tableAt = bigEndian(trailer + 24, 8);
    if (offsetWidth_ < 1 || offsetWidth_ > 8 || referenceWidth_ < 1 || referenceWidth_ > 8) {
      return "binary trailer out of range";
    }
    if (objectCount_ == 0 || root_ >= objectCount_) return "binary trailer out of range";
    if (tableAt <= kBinaryMagic.size() || tableAt > trailer ||
        objectCount_ > (trailer - tableAt) / offsetWidth_) {
      return "binary offset table out of range";
    }
    tableAt_ = static_cast<std::size_t>(tableAt);
    return std::nullopt;
  }

  /// A length that follows a marker whose low nibble is 0xF: an integer object of 1 to 8 bytes.
  std::optional<std::uint64_t> extendedLength(std::size_t& at) const {
    if (at >= tableAt_) return std::nullopt;
    const unsigned char marker = static_cast<unsigned char>(data_[at]);
    if ((marker >> 4) != 0x1 || (marker & 0xF) > 3) return std::nullopt;
    const std::size_t width = std::size_t{1} << (marker & 0xF);
    if (width > tableAt_ - at - 1) return std::nullopt;
    const std::uint64_t length = bigEndian(at + 1, width);
    at += 1 + width;
    return length;
  }

  /// Checks that object `index` lies within the data and describes where its references are.
  std::optional<std::string> shapeOf(std::uint64_t index, Shape& shape) const {
    const std::uint64_t offset =
        bigEndian(tableAt_ + static_cast<std::size_t>(index) * offsetWidth_, offsetWidth_);
    if (offset < kBinaryMagic.size() || offset >= tableAt_) return "object offset out of range";
    std::size_t at = static_cast<std::size_t>(offset);
    const unsigned char marker = static_cast<unsigned char>(data_[at]);
    const unsigned type = marker >> 4;
    const unsigned info = marker & 0xF;
    ++at;
    // The bytes that follow the marker (and its length), as a count of units of `unit` bytes.
    std::uint64_t count = 0;
    std::size_t unit = 1;
    switch (type) {
      case 0x0:
        if (info != 0x0 && info != 0x8 && info != 0x9) return "unknown object type";
        return std::nullopt;
      case 0x1:  // integer of 2^info bytes
        if (info > 4) return "integer size out of range";
        count = std::uint64_t{1} << info;
        break;
      case 0x2:  // real of 4 or 8 bytes
        if (info != 2 && info != 3) return "real size out of range";
        count = std::uint64_t{1} << info;
        break;
      case 0x3:  // date
        if (info != 3) return "date size out of range";
        count = 8;
        break;
      case 0x8:  // uid of 1 to 8 bytes
        if (info > 7) return "uid size out of range";
        count = info + 1;
        break;
      case 0x4:  // data
      case 0x5:  // ASCII string
      case 0x6:  // UTF-16 string
      case 0xA:  // array
      case 0xD:  // dictionary
        if (info != 0xF) {
          count = info;
        } else if (auto length = extendedLength(at)) {
          count = *length;
        } else {
          return "object length out of range";
        }
        if (type == 0x6) unit = 2;
        if (type == 0xA) unit = referenceWidth_;
        if (type == 0xD) unit = 2 * std::size_t{referenceWidth_};
        break;
      default:
        return "unknown object type";
    }
    if (count > (tableAt_ - at) / unit) return "object runs past the data";
    const std::string_view body = data_.substr(at, static_cast<std::size_t>(count) * unit);
    if (type == 0x5 && body.find('\0') != std::string_view::npos) return "a string holding U+0000";
    if (type == 0x6) {
      for (std::size_t i = 0; i < body.size(); i += 2) {
        if (body[i] == '\0' && body[i + 1] == '\0') return "a string holding U+0000";
      }
    }
    shape.string = type == 0x5 || type == 0x6;
    shape.container = type == 0xA || type == 0xD;
    shape.references = shape.container ? count * (type == 0xD ? 2 : 1) : 0;
    shape.keyCount = type == 0xD ? count : 0;
    shape.referencesAt = at;
    // A UTF-16 string becomes UTF-8 in a buffer of four bytes a unit.
    shape.payload = type == 0x4 || type == 0x5 ? count : type == 0x6 ? 4 * count : 0;
    return std::nullopt;
  }

  /// Adds a child's cost to its container's; why the sum is too much, if it is. Every sum is
  /// checked, so none can overflow.
  static std::optional<std::string> add(Frame& frame, const Cost& child) {
    frame.cost.nodes += child.nodes;
    frame.cost.bytes += child.bytes;
    if (frame.cost.nodes > kMaxBinaryNodes) {
      return "more than " + std::to_string(kMaxBinaryNodes) + " nodes once references are expanded";
    }
    if (frame.cost.bytes > kMaxBinaryBytes) {
      return "more than " + std::to_string(kMaxBinaryBytes) + " bytes once references are expanded";
    }
    return std::nullopt;
  }
  std::string tooDeep() const { return "nesting deeper than " + std::to_string(kMaxBinaryDepth); }

  /// Depth-first from the root, each object examined once: a finished object's cost and height
  /// are kept, so a shared one costs a lookup per reference, not a second walk.
  std::optional<std::string> walkFromRoot() {
    const auto objects = static_cast<std::size_t>(objectCount_);
    std::vector<State> states(objects, State::unseen);
    std::vector<Cost> costs(objects);
    std::vector<std::uint32_t> heights(objects, 0);
    std::vector<bool> strings(objects, false);
    std::vector<Frame> stack;

    Shape rootShape;
    if (auto bad = shapeOf(root_, rootShape)) return bad;
    if (!rootShape.container) return std::nullopt;
    states[root_] = State::open;
    stack.push_back({root_, rootShape});

    while (!stack.empty()) {
      Frame& frame = stack.back();
      if (frame.next == frame.shape.references) {
        const Frame finished = frame;
        stack.pop_back();
        states[finished.object] = State::done;
        costs[finished.object] = finished.cost;
        heights[finished.object] = static_cast<std::uint32_t>(finished.height);
        if (!stack.empty()) {
          stack.back().height = std::max(stack.back().height, finished.height + 1);
          if (auto tooMuch = add(stack.back(), finished.cost)) return tooMuch;
        }
        continue;
      }
      const bool isKey = frame.next < frame.shape.keyCount;
      const std::uint64_t child = bigEndian(
          frame.shape.referencesAt + static_cast<std::size_t>(frame.next) * referenceWidth_,
          referenceWidth_);
      ++frame.next;
      if (child >= objectCount_) return "object reference out of range";

      if (states[child] == State::open) return "a cycle of references";
      if (states[child] == State::done) {
        // Seen before: a string or a finished container, already checked.
        frame.height = std::max<std::uint64_t>(frame.height, heights[child] + 1);
        if (auto tooMuch = add(frame, costs[child])) return tooMuch;
        if (stack.size() - 1 + frame.height > kMaxBinaryDepth) return tooDeep();
        if (isKey && !strings[child]) return "a dictionary key that is not a string";
        continue;
      }
      Shape shape;
      if (auto bad = shapeOf(child, shape)) return bad;
      if (isKey && !shape.string) return "a dictionary key that is not a string";
      if (!shape.container) {
        states[child] = State::done;
        costs[child].bytes += shape.payload;
        strings[child] = shape.string;
        if (auto tooMuch = add(frame, costs[child])) return tooMuch;
        continue;
      }
      if (stack.size() + 1 > kMaxBinaryDepth) return tooDeep();
      states[child] = State::open;
      stack.push_back({child, shape});
    }
    return std::nullopt;
  }

  std::string_view data_;
  unsigned offsetWidth_ = 0;
  unsigned referenceWidth_ = 0;
  std::uint64_t objectCount_ = 0;
  std::uint64_t root_ = 0;
  std::size_t tableAt_ = 0;
};

}  // namespace

std::optional<std::string> propertyListRefusal(std::string_view bytes) {
  if (bytes.starts_with(kBinaryMagic)) return BinaryWalk(bytes).refusal();
  return xmlRefusal(bytes);
}

}  // namespace brevinor
