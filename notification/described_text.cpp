#include "notification/described_text.h"

#include <cstdio>

namespace brevinor {

std::string quotedLiteral(std::string_view text) {
  std::string quoted = "\"";
  for (const char c : text) {
    switch (c) {
      case '\\':
        quoted += "\\\\";
        break;
      case '"':
        quoted += "\\\"";
        break;
      case '\t':
        quoted += "\\t";
        break;
      case '\n':
        quoted += "\\n";
        break;
      case '\r':
        quoted += "\\r";
        break;
      case '\0':
        quoted += "\\0";
        break;
      default: {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u{%x}", byte);
          quoted += escaped;
        } else {
          quoted += c;
        }
      }
    }
  }
  quoted += '"';
  return quoted;
}

std::string describedOptional(const std::optional<std::string>& text) {
  return text ? "Optional(" + quotedLiteral(*text) + ")" : "nil";
}

}  // namespace brevinor
