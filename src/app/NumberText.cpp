#include "app/NumberText.h"

#include <climits>
#include <cstdint>

namespace quillory {
namespace {

bool IsBlank(char32_t c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

template <typename At>
int ParseDecimal(qsizetype size, At at) {
    qsizetype i = 0;
    while (i < size && IsBlank(at(i)))
        ++i;
    bool negative = false;
    if (i < size && (at(i) == '+' || at(i) == '-')) {
        negative = at(i) == '-';
        ++i;
    }
    std::int64_t value = 0;
    for (; i < size && at(i) >= '0' && at(i) <= '9'; ++i) {
        value = value * 10 + (at(i) - '0');
        if (value > std::int64_t(INT_MAX) + 1)
            value = std::int64_t(INT_MAX) + 1;
    }
    if (negative)
        return value > INT_MAX ? INT_MIN : -int(value);
    return value > INT_MAX ? INT_MAX : int(value);
}

} // namespace

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

int ParseLeadingInt(QStringView text) {
    return ParseDecimal(text.size(), [&](qsizetype i) { return char32_t(text[i].unicode()); });
}

int ParseLeadingInt(QByteArrayView text) {
    return ParseDecimal(text.size(),
                        [&](qsizetype i) { return char32_t(static_cast<unsigned char>(text[i])); });
}

unsigned ParseLeadingHex(QByteArrayView text) {
    std::uint64_t value = 0;
    for (char c : text) {
        const int digit = HexDigit(c);
        if (digit < 0)
            break;
        value = value * 16 + unsigned(digit);
        if (value > 0xFFFFFFFFu)
            return 0xFFFFFFFFu;
    }
    return unsigned(value);
}

} // namespace quillory
