// Answers to the communication tests' polls, "KEY=STAGE:RESULT;". Whatever
// the tracker sends, the parts come from inside the reply, within their
// limits, and put together give the reply back; an answer in the protocol's
// shape and within the limits is always taken, part for part.
#include "services/CommunicationTests.h"

#include "FuzzCheck.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>

using kvmt::PollReply;
using kvmt::splitPollReply;

namespace {

QByteArray bytes(const std::string &s)
{
    return QByteArray(s.data(), qsizetype(s.size()));
}

void checkParts(const QByteArray &raw, const PollReply &reply)
{
    const qsizetype nul = raw.indexOf('\0');
    const QByteArray text = nul < 0 ? raw : raw.left(nul);
    FUZZ_CHECK(reply.key.size() < 127 && !reply.key.contains('='));
    FUZZ_CHECK(reply.stage.size() < 64 && !reply.stage.contains(':'));
    FUZZ_CHECK(reply.result.size() < 64);
    const QByteArray joined = reply.key + '=' + reply.stage + ':' + reply.result;
    // Only the closing character of the reply is left out.
    FUZZ_CHECK(text.startsWith(joined));
    FUZZ_CHECK(text.size() - joined.size() == (text.size() == joined.size() ? 0 : 1));
    FUZZ_CHECK(text.size() == joined.size() ? reply.result.isEmpty() : true);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    if (input.ConsumeBool()) {
        const QByteArray raw = bytes(input.ConsumeRemainingBytesAsString());
        if (const std::optional<PollReply> reply = splitPollReply(raw))
            checkParts(raw, *reply);
        return 0;
    }

    // A reply composed in the protocol's shape.
    QByteArray key = bytes(input.ConsumeRandomLengthString(140));
    QByteArray stage = bytes(input.ConsumeRandomLengthString(80));
    QByteArray result = bytes(input.ConsumeRandomLengthString(80));
    const char closing = input.ConsumeBool() ? ';' : input.ConsumeIntegral<char>();
    key.replace('=', '_').replace('\0', ' ');
    stage.replace(':', '_').replace('\0', ' ');
    result.replace('\0', ' ');
    if (closing == '\0')
        return 0;
    const QByteArray raw = key + '=' + stage + ':' + result + closing;
    const std::optional<PollReply> reply = splitPollReply(raw);
    const bool withinLimits =
        key.size() < 127 && stage.size() < 64 && result.size() < 64 && stage.size() + result.size() + 2 < 128;
    FUZZ_CHECK(reply.has_value() == withinLimits);
    if (reply) {
        FUZZ_CHECK(reply->key == key && reply->stage == stage && reply->result == result);
        checkParts(raw, *reply);
    }
    return 0;
}
