#include "settings/SettingsBuffer.h"

#include <cstring>

namespace kvmt {

namespace {

constexpr QByteArrayView kLineEnd("\r\n");

} // namespace

SettingsBuffer::SettingsBuffer()
    : m_data(kCapacity, '\0')
{
}

SettingsBuffer::LoadResult SettingsBuffer::load(QByteArrayView file)
{
    if (file.isEmpty())
        return LoadResult::Empty;
    if (file.size() > kCapacity)
        return LoadResult::TooLarge;
    std::memcpy(m_data.data(), file.data(), size_t(file.size()));
    m_loadedLength = file.size();
    return LoadResult::Loaded;
}

bool SettingsBuffer::appendLine(QByteArrayView line)
{
    const qsizetype needed = line.size() + kLineEnd.size();
    if (needed > kCapacity - m_fillLength)
        return false;
    char *at = m_data.data() + m_fillLength;
    std::memcpy(at, line.data(), size_t(line.size()));
    std::memcpy(at + line.size(), kLineEnd.data(), size_t(kLineEnd.size()));
    m_fillLength += needed;
    return true;
}

std::optional<SettingsBuffer::Entry> SettingsBuffer::entryAt(qsizetype at) const
{
    const QByteArrayView loaded(m_data.constData(), m_loadedLength);
    if (at >= loaded.size())
        return std::nullopt;
    const qsizetype eq = loaded.indexOf('=', at);
    if (eq < 0)
        return std::nullopt;
    const qsizetype semicolon = loaded.indexOf(';', eq + 1);
    if (semicolon < 0)
        return std::nullopt;
    Entry entry{loaded.sliced(at, eq - at), loaded.sliced(eq + 1, semicolon - eq - 1), false, semicolon + 3};
    // The ';' must be followed by the line end, or be the file's last byte.
    // Anything between them means the value held a ';' of its own (or the
    // line ends otherwise): the value up to the first ';' is not the one
    // written, and the rest of the line is no entry either. The scan goes
    // on after that line end, or ends with the file.
    const qsizetype lineEnd = loaded.indexOf(kLineEnd, semicolon);
    if (lineEnd == semicolon + 1 || (lineEnd < 0 && semicolon + 1 == loaded.size()))
        return entry;
    entry.cut = true;
    entry.next = lineEnd < 0 ? loaded.size() : lineEnd + kLineEnd.size();
    // No LF up to the line end has a CR before it, or it would be that end.
    const qsizetype restEnd = lineEnd < 0 ? loaded.size() : lineEnd;
    entry.cutAtLineFeed = loaded.sliced(semicolon, restEnd - semicolon).contains('\n');
    return entry;
}

std::optional<QByteArray> SettingsBuffer::lookupKey(QByteArrayView key) const
{
    for (std::optional<Entry> entry = entryAt(0); entry; entry = entryAt(entry->next)) {
        if (entry->key != key)
            continue;
        if (entry->cut)
            return std::nullopt;
        // Read as C text, as a reply's value is: a NUL ends it.
        const qsizetype nul = entry->value.indexOf('\0');
        return (nul < 0 ? entry->value : entry->value.first(nul)).toByteArray();
    }
    return std::nullopt;
}

QByteArrayList SettingsBuffer::keysCutAtLineFeeds() const
{
    QByteArrayList keys;
    for (std::optional<Entry> entry = entryAt(0); entry; entry = entryAt(entry->next)) {
        if (entry->cutAtLineFeed)
            keys.append(entry->key.toByteArray());
    }
    return keys;
}

QByteArrayList SettingsBuffer::keysWithCutValues() const
{
    QByteArrayList keys;
    for (std::optional<Entry> entry = entryAt(0); entry; entry = entryAt(entry->next)) {
        if (entry->cut)
            keys.append(entry->key.toByteArray());
    }
    return keys;
}

} // namespace kvmt
