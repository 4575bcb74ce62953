#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace brevinor {

/// The text as a quoted string literal: a backslash and a double quote each get a backslash;
/// tab, line feed, carriage return and NUL become \t, \n, \r and \0; other control characters
/// become \u{XX}, so the result never spans lines. Other bytes pass unchanged.
std::string quotedLiteral(std::string_view text);

/// The descriptive form of an optional text, as the log shows it: Optional("…") around the
/// quoted literal, or nil when absent.
std::string describedOptional(const std::optional<std::string>& text);

}  // namespace brevinor
