#include "numbers.h"

#include <cstdint>

namespace platform {

std::optional<int> parseInteger(QStringView text)
{
    QStringView t = text.trimmed();
    if (t.isEmpty()) return std::nullopt;
    qsizetype i = 0;
    bool negative = false;
    if (t[0] == u'+' || t[0] == u'-') {
        negative = t[0] == u'-';
        i = 1;
    }
    if (i >= t.size()) return std::nullopt;
    std::int64_t value = 0;
    for (; i < t.size(); ++i) {
        char16_t c = t[i].unicode();
        if (c < u'0' || c > u'9') return std::nullopt;
        value = value * 10 + (c - u'0');
        if (value > 2147483648LL) return std::nullopt;
    }
    if (negative) value = -value;
    if (value > 2147483647LL || value < -2147483648LL) return std::nullopt;
    return static_cast<int>(value);
}

} // namespace platform
