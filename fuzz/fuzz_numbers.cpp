// The number readers of replies and field texts, against a reading done
// digit string by digit string: the same acceptance (a number beyond the
// 32-bit range is none), the value, the bytes consumed, and every value read
// formatting to a text that reads back to it; a field's text reads as its
// bytes do.
#include "text/Numbers.h"

#include "FuzzCheck.h"

#include <QByteArray>
#include <QString>

#include <climits>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

using kvmt::leadingInt;
using kvmt::strictInt;

namespace {

bool digit(char c)
{
    return c >= '0' && c <= '9';
}

struct Reading {
    int value;
    size_t end; // one past the last digit
};

// Sign and digits from `at`; nothing when they are no 32-bit number.
std::optional<Reading> expectedFrom(std::string_view text, size_t at)
{
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-'))
        negative = text[at++] == '-';
    size_t end = at;
    while (end < text.size() && digit(text[end]))
        ++end;
    if (end == at)
        return std::nullopt;
    std::string_view digits = text.substr(at, end - at);
    while (digits.size() > 1 && digits.front() == '0')
        digits.remove_prefix(1);
    if (digits.size() > 10)
        return std::nullopt;
    const long long magnitude = std::stoll(std::string(digits));
    const long long value = negative ? -magnitude : magnitude;
    if (value > INT_MAX || value < INT_MIN)
        return std::nullopt;
    return Reading{int(value), end};
}

bool blank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::string_view text(bytes.constData(), size);

    const std::optional<int> strict = strictInt(bytes);
    const std::optional<Reading> whole = expectedFrom(text, 0);
    FUZZ_CHECK(strict.has_value() == (whole && whole->end == size));
    if (strict) {
        FUZZ_CHECK(*strict == whole->value);
        FUZZ_CHECK(strictInt(QByteArray::number(*strict)) == strict);
    }
    FUZZ_CHECK(strictInt(QStringView(QString::fromLatin1(bytes))) == strict);

    size_t at = 0;
    while (at < size && blank(text[at]))
        ++at;
    qsizetype consumed = -1;
    const std::optional<int> leading = leadingInt(bytes, &consumed);
    const std::optional<Reading> expected = expectedFrom(text, at);
    FUZZ_CHECK(leading.has_value() == expected.has_value());
    FUZZ_CHECK(consumed >= 0 && consumed <= bytes.size());
    FUZZ_CHECK(kvmt::leadingIntOr0(bytes) == leading.value_or(0));
    if (!leading) {
        FUZZ_CHECK(consumed == 0);
        return 0;
    }
    FUZZ_CHECK(*leading == expected->value && size_t(consumed) == expected->end);
    // What the number took, read alone, is the same number.
    FUZZ_CHECK(leadingInt(bytes.left(consumed)) == leading);
    FUZZ_CHECK(strictInt(QByteArray::number(*leading)) == leading);
    return 0;
}
