#include "shell/IniFile.h"

#include "text/Cp1251.h"

#include <QFile>
#include <QSaveFile>

namespace kvmt {

namespace {

bool sameName(QStringView a, QStringView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString unquoted(QString value)
{
    value = value.trimmed();
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front())
        return value.mid(1, value.size() - 2);
    return value;
}

} // namespace

IniFile IniFile::fromBytes(const QByteArray &bytes)
{
    IniFile file;
    if (bytes.contains("\r\n"))
        file.m_lineEnd = "\r\n";
    QList<QByteArray> raw = bytes.split('\n');
    // A final line end leaves nothing after it, not an empty line.
    if (!raw.isEmpty() && raw.last().isEmpty())
        raw.removeLast();
    QString section;
    for (QByteArray &bytesOfLine : raw) {
        // Every carriage return at a line's end goes, not just the one of a
        // CR LF: a line kept ending in one would be written back as a line
        // end of the other style, and each save would change the file.
        while (bytesOfLine.endsWith('\r'))
            bytesOfLine.chop(1);
        Line line{bytesOfLine, section, {}, false};
        const QString text = fromCp1251(bytesOfLine).trimmed();
        if (text.startsWith(u'[')) {
            const qsizetype close = text.indexOf(u']');
            section = text.mid(1, close < 0 ? -1 : close - 1).trimmed();
            line.section = section;
            line.header = true;
        } else if (!text.startsWith(u';') && text.contains(u'=')) {
            line.key = text.left(text.indexOf(u'=')).trimmed();
        }
        file.m_lines.append(std::move(line));
    }
    return file;
}

IniFile IniFile::load(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return fromBytes(file.readAll());
}

qsizetype IniFile::findKey(QStringView section, QStringView key) const
{
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const Line &line = m_lines[i];
        if (!line.header && !line.key.isEmpty() && sameName(line.section, section) && sameName(line.key, key))
            return i;
    }
    return -1;
}

qsizetype IniFile::lastLineOf(QStringView section) const
{
    qsizetype last = -1;
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        if (sameName(m_lines[i].section, section) && (m_lines[i].header || !m_lines[i].bytes.trimmed().isEmpty()))
            last = i;
    }
    return last;
}

std::optional<QString> IniFile::value(QStringView section, QStringView key) const
{
    const qsizetype i = findKey(section, key);
    if (i < 0)
        return std::nullopt;
    const QString text = fromCp1251(m_lines[i].bytes);
    return unquoted(text.mid(text.indexOf(u'=') + 1));
}

void IniFile::setValue(QStringView section, QStringView key, const QString &value)
{
    const QByteArray bytes = toCp1251(key.toString()) + '=' + toCp1251(value);
    if (const qsizetype i = findKey(section, key); i >= 0) {
        m_lines[i].bytes = bytes;
        return;
    }
    const Line line{bytes, section.toString(), key.toString(), false};
    if (const qsizetype last = lastLineOf(section); last >= 0) {
        m_lines.insert(last + 1, line);
        return;
    }
    m_lines.append(Line{'[' + toCp1251(section.toString()) + ']', section.toString(), {}, true});
    m_lines.append(line);
}

QByteArray IniFile::toBytes() const
{
    QByteArray bytes;
    for (const Line &line : m_lines)
        bytes += line.bytes + m_lineEnd;
    return bytes;
}

bool IniFile::save(const QString &path) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(toBytes());
    return file.commit();
}

} // namespace kvmt
