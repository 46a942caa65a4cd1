#include "shell/ProgramSettings.h"

#include "shell/IniFile.h"
#include "text/Numbers.h"

#include <QDir>

#include <array>

namespace kvmt {

namespace {

const QString kSection = QStringLiteral("COMMON");
const QString kGeometryKey = QStringLiteral("MainForm");
const QString kLanguageKey = QStringLiteral("Language");

} // namespace

GeometryScan scanGeometry(const QString &text)
{
    // The value is plain ASCII digits and commas; anything else ends the scan
    // where scanf would have stopped.
    const QByteArray bytes = text.toLatin1();
    QByteArrayView rest(bytes);
    std::array<int, 4> numbers{};
    int scanned = 0;
    for (; scanned < 4; ++scanned) {
        if (scanned > 0) {
            if (rest.isEmpty() || rest.front() != ',')
                break;
            rest = rest.sliced(1);
        }
        qsizetype used = 0;
        const std::optional<int> number = leadingInt(rest, &used);
        if (!number)
            break;
        numbers[size_t(scanned)] = *number;
        rest = rest.sliced(used);
    }
    return {{numbers[0], numbers[1], numbers[2], numbers[3]}, scanned == 4};
}

QString formatGeometry(const WindowGeometry &g)
{
    return QStringLiteral("%1,%2,%3,%4").arg(g.top).arg(g.left).arg(g.width).arg(g.height);
}

int chooseLanguageId(const QString &stored, bool systemIsRussian)
{
    const QString name = stored.toLower();
    if (name == u"russian")
        return LanguageRussian;
    if (name == u"english")
        return LanguageEnglish;
    return systemIsRussian ? LanguageRussian : LanguageEnglish;
}

QString programSettingsPath(const QString &exeDir)
{
    return QDir(exeDir).filePath(QStringLiteral("MT.ini"));
}

ProgramSettings readProgramSettings(const QString &iniPath, bool systemIsRussian)
{
    const IniFile file = IniFile::load(iniPath);
    ProgramSettings settings;
    settings.geometryText = file.value(kSection, kGeometryKey).value_or(QString());
    settings.languageId = chooseLanguageId(file.value(kSection, kLanguageKey).value_or(QString()), systemIsRussian);
    settings.stored = scanGeometry(settings.geometryText);
    return settings;
}

std::optional<WindowGeometry> MainFormGeometry::insideAtStart(int frameWidth, int frameHeight)
{
    if (!m_stored.complete)
        return std::nullopt;
    const WindowGeometry &outer = m_stored.geometry;
    m_startInside = WindowGeometry{outer.top, outer.left, outer.width - frameWidth, outer.height - frameHeight};
    return m_startInside;
}

WindowGeometry MainFormGeometry::atExit(const WindowGeometry &inside, int frameWidth, int frameHeight) const
{
    if (m_startInside && inside == *m_startInside)
        return m_stored.geometry;
    return {inside.top, inside.left, inside.width + frameWidth, inside.height + frameHeight};
}

bool saveGeometryIfChanged(const QString &iniPath, const WindowGeometry &current, const WindowGeometry &stored)
{
    if (current == stored)
        return true;
    IniFile file = IniFile::load(iniPath);
    file.setValue(kSection, kGeometryKey, formatGeometry(current));
    return file.save(iniPath);
}

bool saveLanguage(const QString &iniPath, const QString &language)
{
    IniFile file = IniFile::load(iniPath);
    file.setValue(kSection, kLanguageKey, language);
    return file.save(iniPath);
}

QString versionCaption(int major, int minor)
{
    return QStringLiteral("KVMTConf %1.%2").arg(major).arg(minor);
}

} // namespace kvmt
