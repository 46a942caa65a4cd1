#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class QTranslator;

namespace kvmt {

// The language menu lists Russian first and English second; the items'
// positions, not their captions, say which language was picked, because the
// captions are themselves translated text.
std::optional<int> languageAtMenuPosition(int position);

// The name MT.ini keeps for a language: "Russian" or "English".
QString languageName(int languageId);

// What the language menu did to MT.ini.
struct LanguageChoice {
    QString oldValue;   // COMMON/Language before, "Russian" when there was none
    QString newValue;   // what is stored now
    bool saved = false; // false when MT.ini could not be written
    // The stored language changed: the running interface no longer matches
    // it until the program starts again.
    bool restartNeeded = false;
};

// Records the chosen language in MT.ini, written again even when it is the
// same. A file without the key counts as Russian, the program's own
// language, so choosing Russian there asks nothing.
LanguageChoice storeLanguageChoice(const QString &iniPath, int languageId);

// The interface language of a starting program: MT.ini's choice, otherwise
// the system's own language. The same decision the window shows in its menu.
int startupLanguage(const QString &exeDir);
bool systemLanguageIsRussian();

// Where the English interface file may lie: beside the executable, or in
// the program's share folder of an installed system.
QString translationFileName();
QStringList translationSearchDirs(const QString &programDir);

// Loads the English interface into `translator`. Russian is the built-in
// language and needs no file; false as well when no file was found, and the
// interface stays Russian.
bool loadInterfaceTranslation(QTranslator &translator, int languageId, const QString &programDir);

// Qt's own texts (the Yes and No of a question) in Russian; English is
// Qt's built-in language. False when Qt's Russian file is not installed.
bool loadToolkitTranslation(QTranslator &translator, int languageId);

// The language a short code names, as the command line gives it: "ru" or
// "en", in any case; nothing for any other text.
std::optional<int> languageFromCode(const QString &code);

// A language's texts installed in the running application, the program's
// own and Qt's, for as long as this object lives; the window keeps one for
// the whole run, the command-line tool for one command. Nothing is
// installed for what has no file (Russian, the built-in language, or a
// missing English file: the interface then stays Russian).
class InstalledLanguage
{
public:
    InstalledLanguage(int languageId, const QString &programDir);
    ~InstalledLanguage();
    InstalledLanguage(const InstalledLanguage &) = delete;
    InstalledLanguage &operator=(const InstalledLanguage &) = delete;

private:
    std::unique_ptr<QTranslator> m_interface;
    std::unique_ptr<QTranslator> m_toolkit;
};

// The user manual of the running interface's language, beside the
// executable or in the share folder of an installed system, the first that
// holds it; beside the executable when neither does. The file name is
// interface text, so the English interface names the English edition.
QString manualFileName();
QStringList manualSearchDirs(const QString &programDir);
QString manualPath(const QString &programDir);

} // namespace kvmt
