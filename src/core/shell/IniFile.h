#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace kvmt {

// A small INI file read and written the way the Windows private-profile
// functions do: section and key names without regard to case, values
// trimmed and freed of one pair of enclosing quotes, a new key appended to
// its section, a new section to the file. Lines that are not changed keep
// their bytes, so a file written by another program survives our writes.
//
// Values are written as they are: "MainForm=75,69,723,755", never quoted,
// which is the form older versions of the program read.
class IniFile
{
public:
    // Parses text in Windows-1251.
    static IniFile fromBytes(const QByteArray &bytes);
    // A missing or unreadable file reads as an empty one.
    static IniFile load(const QString &path);

    std::optional<QString> value(QStringView section, QStringView key) const;
    void setValue(QStringView section, QStringView key, const QString &value);

    QByteArray toBytes() const;
    // The whole file at once, through a temporary file: a failed write
    // leaves the old file as it was. False when it could not be written.
    bool save(const QString &path) const;

private:
    struct Line {
        QByteArray bytes;   // as read, without the line end
        QString section;    // the section the line belongs to (a header: its own)
        QString key;        // empty for headers, comments and blank lines
        bool header = false;
    };

    qsizetype findKey(QStringView section, QStringView key) const;
    qsizetype lastLineOf(QStringView section) const;

    QList<Line> m_lines;
    QByteArray m_lineEnd = "\n";
};

} // namespace kvmt
