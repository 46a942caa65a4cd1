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

std::optional<QByteArray> SettingsBuffer::lookupKey(QByteArrayView key) const
{
    const QByteArrayView loaded(m_data.constData(), m_loadedLength);
    qsizetype entry = 0;
    while (entry < loaded.size()) {
        const qsizetype eq = loaded.indexOf('=', entry);
        if (eq < 0)
            return std::nullopt;
        const qsizetype semicolon = loaded.indexOf(';', eq + 1);
        if (semicolon < 0)
            return std::nullopt;
        if (loaded.sliced(entry, eq - entry) == key) {
            // Read as C text, as a reply's value is: a NUL ends it.
            QByteArrayView value = loaded.sliced(eq + 1, semicolon - eq - 1);
            const qsizetype nul = value.indexOf('\0');
            return (nul < 0 ? value : value.first(nul)).toByteArray();
        }
        entry = semicolon + 3;
    }
    return std::nullopt;
}

} // namespace kvmt
