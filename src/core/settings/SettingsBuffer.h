#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QByteArrayView>

#include <optional>

namespace kvmt {

// The one 8-bit text buffer shared by the profile files and the write
// sequence. A loaded file and the lines of a write live in the same bytes:
// a write starts again at the front and overwrites what was loaded, while
// loadedLength stays as the load left it. Only a lookup right after a load
// is meaningful, which is the only time the read sequence does one.
class SettingsBuffer
{
public:
    static constexpr qsizetype kCapacity = 3000;

    enum class LoadResult {
        Loaded,
        Empty,    // nothing to load; the buffer is unchanged
        TooLarge, // more than kCapacity bytes; the buffer is unchanged
    };

    SettingsBuffer();

    // Replaces the loaded contents with a whole profile file.
    LoadResult load(QByteArrayView file);
    // A file that could not be read in full: every lookup then fails.
    void forgetLoaded() { m_loadedLength = 0; }

    // Appends `line` and CR LF at fillLength. A line that would not fit whole
    // is refused and nothing of it is stored: the buffer never grows past
    // kCapacity and never holds half an entry that a later lookup would
    // misread. The caller reports the refusal.
    bool appendLine(QByteArrayView line);
    // Starts a new write at the front.
    void resetFill() { m_fillLength = 0; }

    qsizetype loadedLength() const { return m_loadedLength; }
    qsizetype fillLength() const { return m_fillLength; }
    // The bytes of the last write, as they go to a profile file.
    QByteArray filled() const { return m_data.left(m_fillLength); }

    // The value of the first entry whose key is exactly `key`, or nullopt.
    // Entries are "KEY=value;" and CR LF (the last one may lack it); the
    // scan starts at the front every time and never reads past
    // loadedLength. An entry with any byte between its first ';' and the
    // next CR LF (its value held a ';', as no value may, or its line ends
    // otherwise) is no value: its key finds nothing, and the scan goes on
    // after that CR LF, or ends with the file, instead of inside the rest
    // of that value. Files are written with CR LF and read the same.
    std::optional<QByteArray> lookupKey(QByteArrayView key) const;
    // The keys of such entries, in file order.
    QByteArrayList keysWithCutValues() const;
    // Those of them whose line ends in LF without CR.
    QByteArrayList keysCutAtLineFeeds() const;

private:
    struct Entry {
        QByteArrayView key;
        QByteArrayView value;
        bool cut = false;
        qsizetype next = 0;
        bool cutAtLineFeed = false;
    };
    // The entry at `at` in the loaded bytes; nullopt past the last one.
    std::optional<Entry> entryAt(qsizetype at) const;

    QByteArray m_data;
    qsizetype m_loadedLength = 0;
    qsizetype m_fillLength = 0;
};

} // namespace kvmt
