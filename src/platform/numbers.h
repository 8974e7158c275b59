#pragma once
// The one parser for numbers in stored files and edits: trimmed text, an optional sign and
// decimal digits in the 32-bit range; anything else is "not a number".
#include <QString>
#include <optional>

namespace platform {

std::optional<int> parseInteger(QStringView text);

inline int parseIntegerOr(QStringView text, int fallback)
{
    auto v = parseInteger(text);
    return v ? *v : fallback;
}

} // namespace platform
