// The settings buffer as a profile file fills it. A lookup sees only the
// bytes of the last load, whatever an earlier, longer load or a write left
// behind them; a value found stands in the file after its key; and lines
// appended as a write appends them read back through a lookup.
#include "settings/KeyTable.h"
#include "settings/SettingsBuffer.h"

#include "FuzzCheck.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <QHash>
#include <QList>

#include <cstdint>
#include <string>

using kvmt::Key;
using kvmt::KeyTable;
using kvmt::SettingsBuffer;

namespace {

QByteArray bytes(const std::string &s)
{
    return QByteArray(s.data(), qsizetype(s.size()));
}

// Entries that would answer many keys if a lookup ever read past the end
// of what was loaded.
const QByteArray &staleFill()
{
    static const QByteArray fill = [] {
        QByteArray bytes;
        for (int i = 0; bytes.size() < SettingsBuffer::kCapacity; ++i)
            bytes += QByteArray(KeyTable::name(Key(i % int(Key::Count)))) + "=STALE;\r\n";
        return bytes.left(SettingsBuffer::kCapacity);
    }();
    return fill;
}

void checkLoadedLookups(const QByteArray &file, const QList<QByteArray> &probes)
{
    SettingsBuffer fresh;
    SettingsBuffer reused;
    FUZZ_CHECK(reused.load(staleFill()) == SettingsBuffer::LoadResult::Loaded);

    const SettingsBuffer::LoadResult result = fresh.load(file);
    FUZZ_CHECK(reused.load(file) == result);
    if (file.isEmpty())
        FUZZ_CHECK(result == SettingsBuffer::LoadResult::Empty);
    else if (file.size() > SettingsBuffer::kCapacity)
        FUZZ_CHECK(result == SettingsBuffer::LoadResult::TooLarge);
    else
        FUZZ_CHECK(result == SettingsBuffer::LoadResult::Loaded && fresh.loadedLength() == file.size());
    if (result != SettingsBuffer::LoadResult::Loaded)
        return;

    // A write reuses the front of the buffer but leaves the loaded length.
    SettingsBuffer written;
    FUZZ_CHECK(written.load(file) == SettingsBuffer::LoadResult::Loaded);
    FUZZ_CHECK(written.appendLine("DEVNAME=WRITTEN;"));
    FUZZ_CHECK(written.loadedLength() == file.size());

    for (const QByteArray &key : probes) {
        const std::optional<QByteArray> value = fresh.lookupKey(key);
        FUZZ_CHECK(reused.lookupKey(key) == value);
        if (!value)
            continue;
        FUZZ_CHECK(!value->contains('\0'));
        FUZZ_CHECK(key.size() + 1 + value->size() < file.size());
        FUZZ_CHECK(file.contains(key + '=' + *value));
    }
    // What a lookup after a write finds is meaningless, but it still stays
    // within the loaded length.
    for (const QByteArray &key : probes) {
        if (const std::optional<QByteArray> value = written.lookupKey(key))
            FUZZ_CHECK(key.size() + 1 + value->size() < written.loadedLength());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const bool asLines = input.ConsumeBool();

    QList<QByteArray> probes;
    for (int i = 0; i < int(Key::Count); ++i)
        probes.append(KeyTable::name(Key(i)));
    probes.append(QByteArray());

    if (!asLines) {
        const QByteArray file = bytes(input.ConsumeRemainingBytesAsString());
        // Every text before an '=' is a key some lookup may ask for.
        qsizetype start = 0;
        for (qsizetype eq = file.indexOf('='); eq >= 0 && probes.size() < 120; eq = file.indexOf('=', eq + 1)) {
            probes.append(file.mid(start, eq - start));
            start = eq + 1;
        }
        checkLoadedLookups(file, probes);
        return 0;
    }

    // Lines as a write appends them; the first entry of each key counts.
    SettingsBuffer writer;
    QHash<QByteArray, QByteArray> expected;
    while (input.remaining_bytes() > 0) {
        QByteArray key = bytes(input.ConsumeRandomLengthString(64));
        QByteArray value = bytes(input.ConsumeRandomLengthString(256));
        key.replace('=', '_');
        value.replace(';', ',');
        const qsizetype before = writer.fillLength();
        const bool stored = writer.appendLine(key + '=' + value + ';');
        const qsizetype lineSize = key.size() + value.size() + 4;
        FUZZ_CHECK(stored == (before + lineSize <= SettingsBuffer::kCapacity));
        FUZZ_CHECK(writer.fillLength() == (stored ? before + lineSize : before));
        FUZZ_CHECK(writer.fillLength() <= SettingsBuffer::kCapacity);
        if (stored && !expected.contains(key)) {
            const qsizetype nul = value.indexOf('\0');
            expected.insert(key, nul < 0 ? value : value.left(nul));
        }
        probes.append(key);
    }
    const QByteArray file = writer.filled();
    FUZZ_CHECK(file.size() == writer.fillLength());
    SettingsBuffer reader;
    if (file.isEmpty())
        return 0;
    FUZZ_CHECK(reader.load(file) == SettingsBuffer::LoadResult::Loaded);
    for (auto it = expected.cbegin(); it != expected.cend(); ++it)
        FUZZ_CHECK(reader.lookupKey(it.key()) == it.value());
    checkLoadedLookups(file, probes);
    return 0;
}
