// Tracker replies split into key and value. The split must stay inside the
// reply, cut both fields at a NUL, and take the value between the first '='
// and the last ';' whatever bytes stand around them.
#include "device/ReplySplit.h"

#include "FuzzCheck.h"

#include <cstdint>
#include <string_view>

using kvmt::SplitReply;
using kvmt::splitReply;

namespace {

std::string_view untilNul(std::string_view text)
{
    const size_t nul = text.find('\0');
    return nul == std::string_view::npos ? text : text.substr(0, nul);
}

bool same(const QByteArray &field, std::string_view expected)
{
    return std::string_view(field.constData(), size_t(field.size())) == expected;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Copied into a buffer of its own size, so that a read past the reply's
    // end lands outside the allocation and ASan reports it.
    const QByteArray reply(reinterpret_cast<const char *>(data), qsizetype(size));
    const SplitReply split = splitReply(reply.constData(), reply.size());
    const std::string_view text(reply.constData(), size);

    FUZZ_CHECK(split.key.size() + split.value.size() <= reply.size());
    FUZZ_CHECK(!split.key.contains('\0') && !split.value.contains('\0'));
    FUZZ_CHECK(!split.key.contains('='));
    FUZZ_CHECK(text.substr(0, size_t(split.key.size())) == std::string_view(split.key.constData(), size_t(split.key.size())));

    const size_t eq = text.find('=');
    if (eq == std::string_view::npos) {
        FUZZ_CHECK(same(split.key, untilNul(text)));
        FUZZ_CHECK(split.value.isEmpty());
    } else {
        FUZZ_CHECK(same(split.key, untilNul(text.substr(0, eq))));
        const size_t semicolon = text.rfind(';');
        if (semicolon == std::string_view::npos || semicolon < eq)
            FUZZ_CHECK(split.value.isEmpty());
        else
            FUZZ_CHECK(same(split.value, untilNul(text.substr(eq + 1, semicolon - eq - 1))));
        // Key, '=', value and ';' all fit in the reply.
        FUZZ_CHECK(split.key.size() + split.value.size() + 2 <= reply.size() || split.value.isEmpty());
    }

    const SplitReply again = splitReply(reply);
    FUZZ_CHECK(again.key == split.key && again.value == split.value);
    return 0;
}
