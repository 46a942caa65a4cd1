#include "shell/Language.h"

#include "shell/IniFile.h"
#include "shell/ProgramSettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace kvmt {

namespace {

const QString kSection = QStringLiteral("COMMON");
const QString kLanguageKey = QStringLiteral("Language");

} // namespace

std::optional<int> languageAtMenuPosition(int position)
{
    switch (position) {
    case 0:
        return LanguageRussian;
    case 1:
        return LanguageEnglish;
    default:
        return std::nullopt;
    }
}

QString languageName(int languageId)
{
    return languageId == LanguageEnglish ? QStringLiteral("English") : QStringLiteral("Russian");
}

LanguageChoice storeLanguageChoice(const QString &iniPath, int languageId)
{
    LanguageChoice choice;
    choice.oldValue = IniFile::load(iniPath).value(kSection, kLanguageKey).value_or(QStringLiteral("Russian"));
    choice.newValue = languageName(languageId);
    // No settings file (a window under test): nothing is kept.
    choice.saved = !iniPath.isEmpty() && saveLanguage(iniPath, choice.newValue);
    choice.restartNeeded = choice.oldValue.compare(choice.newValue, Qt::CaseInsensitive) != 0;
    return choice;
}

bool systemLanguageIsRussian()
{
    const QLocale system = QLocale::system();
    return system.language() == QLocale::Russian && system.territory() == QLocale::Russia;
}

int startupLanguage(const QString &exeDir)
{
    return readProgramSettings(programSettingsPath(exeDir), systemLanguageIsRussian()).languageId;
}

QString translationFileName()
{
    return QStringLiteral("kvmtconf_en.qm");
}

QStringList translationSearchDirs(const QString &programDir)
{
    return {programDir, QDir(programDir).filePath(QStringLiteral("../share/kvmtconf/translations"))};
}

bool loadInterfaceTranslation(QTranslator &translator, int languageId, const QString &programDir)
{
    if (languageId != LanguageEnglish)
        return false;
    for (const QString &dir : translationSearchDirs(programDir)) {
        if (translator.load(translationFileName(), dir))
            return true;
    }
    return false;
}

bool loadToolkitTranslation(QTranslator &translator, int languageId)
{
    if (languageId != LanguageRussian)
        return false;
    return translator.load(QStringLiteral("qtbase_ru"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
}

std::optional<int> languageFromCode(const QString &code)
{
    if (code.compare(QLatin1String("ru"), Qt::CaseInsensitive) == 0)
        return LanguageRussian;
    if (code.compare(QLatin1String("en"), Qt::CaseInsensitive) == 0)
        return LanguageEnglish;
    return std::nullopt;
}

InstalledLanguage::InstalledLanguage(int languageId, const QString &programDir)
    : m_interface(std::make_unique<QTranslator>())
    , m_toolkit(std::make_unique<QTranslator>())
{
    if (loadInterfaceTranslation(*m_interface, languageId, programDir))
        QCoreApplication::installTranslator(m_interface.get());
    else
        m_interface.reset();
    if (loadToolkitTranslation(*m_toolkit, languageId))
        QCoreApplication::installTranslator(m_toolkit.get());
    else
        m_toolkit.reset();
}

InstalledLanguage::~InstalledLanguage()
{
    if (m_toolkit)
        QCoreApplication::removeTranslator(m_toolkit.get());
    if (m_interface)
        QCoreApplication::removeTranslator(m_interface.get());
}

QString manualFileName()
{
    // The English interface names its own edition of the manual.
    return QCoreApplication::translate("kvmt::Language", "USER_MANUAL_KVMTConf.pdf");
}

QStringList manualSearchDirs(const QString &programDir)
{
    return {programDir, QDir::cleanPath(QDir(programDir).filePath(QStringLiteral("../share/kvmtconf")))};
}

QString manualPath(const QString &programDir)
{
    // Beside the executable rather than in the working folder, which is
    // wherever the program happened to be started from; an installed
    // program keeps it in its share folder instead.
    const QString name = manualFileName();
    for (const QString &dir : manualSearchDirs(programDir)) {
        const QString candidate = QDir(dir).filePath(name);
        if (QFileInfo(candidate).isFile())
            return candidate;
    }
    // Where the build writes it, and where a missing manual is looked for.
    return QDir(programDir).filePath(name);
}

} // namespace kvmt
