// kvmt_manual: builds the user manual's PDF editions at build time, and
// saves the same pictures of the window as PNG files on request.
//
//   kvmt_manual <folder of manual_ru.md and manual_en.md> <program folder>
//   kvmt_manual --screenshots <output folder> <program folder> [ru|en]
//
// The program folder holds the device library and the English interface
// file; the editions are written there under the names the program opens.
#include "ManualPdf.h"
#include "ManualScreens.h"

#include "shell/Language.h"
#include "shell/ProgramSettings.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHashSeed>
#include <QTranslator>

#include <cstdio>
#include <optional>

namespace {

int fail(const QString &message)
{
    std::fprintf(stderr, "kvmt_manual: %s\n", qPrintable(message));
    return 1;
}

QString readText(const QString &path, bool *ok)
{
    QFile file(path);
    *ok = file.open(QIODevice::ReadOnly);
    return *ok ? QString::fromUtf8(file.readAll()) : QString();
}

// The build's date (SOURCE_DATE_EPOCH, the last commit's time): two builds
// of one commit make the same bytes. Without it, now; nothing when it is no
// date from 1970 to the year 9999, which the PDF's date could not write.
std::optional<QDateTime> buildDate()
{
    const QString given = qEnvironmentVariable("SOURCE_DATE_EPOCH");
    if (given.isEmpty())
        return QDateTime::currentDateTimeUtc();
    bool ok = false;
    const qint64 seconds = given.toLongLong(&ok);
    if (!ok || seconds < 0 || seconds >= 253402300800LL)
        return std::nullopt;
    return QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC);
}

// One PNG per page of the window (and the console and password dialog), in
// the interface language asked for.
int saveScreenshots(const QString &outDir, const QString &binDir, const QString &language, const QDateTime &date)
{
    const int languageId = language == QLatin1String("en") ? kvmt::LanguageEnglish : kvmt::LanguageRussian;
    QTranslator interface;
    QTranslator toolkit;
    if (languageId == kvmt::LanguageEnglish) {
        if (!kvmt::loadInterfaceTranslation(interface, languageId, binDir))
            return fail(QStringLiteral("no English interface file in %1").arg(binDir));
        QApplication::installTranslator(&interface);
    } else if (kvmt::loadToolkitTranslation(toolkit, languageId)) {
        QApplication::installTranslator(&toolkit);
    }
    if (!QDir().mkpath(outDir))
        return fail(QStringLiteral("cannot make %1").arg(outDir));
    const QMap<QString, QImage> screens = kvmt::manual::takeScreens(binDir, languageId, date);
    for (auto it = screens.cbegin(); it != screens.cend(); ++it) {
        const QString path = QDir(outDir).filePath(it.key() + QStringLiteral(".png"));
        if (!it.value().save(path))
            return fail(QStringLiteral("cannot write %1").arg(path));
        std::printf("%s\n", qPrintable(path));
    }
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    const std::optional<QDateTime> date = buildDate();
    // Qt's hashes order what the PDF writer keeps (its fonts) differently in
    // every run; a fixed seed makes the order, and the file, the same.
    QHashSeed::setDeterministicGlobalSeed();
    // Nor may the build machine's time zone show in the pictures or the date.
    qputenv("TZ", "UTC");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (!date)
        return fail(QStringLiteral("SOURCE_DATE_EPOCH=%1 is no date from 1970 to the year 9999")
                        .arg(qEnvironmentVariable("SOURCE_DATE_EPOCH")));
    const QStringList args = QApplication::arguments();
    if (args.size() >= 4 && args[1] == QLatin1String("--screenshots"))
        return saveScreenshots(args[2], QDir(args[3]).absolutePath(), args.value(4), *date);
    if (args.size() != 3)
        return fail(QStringLiteral("usage: kvmt_manual <manual sources> <program folder>"));
    const QDir sources(args[1]);
    const QString binDir = QDir(args[2]).absolutePath();

    struct Edition {
        int languageId;
        const char *source;
    };
    for (const Edition &edition : {Edition{kvmt::LanguageRussian, "manual_ru.md"},
                                   Edition{kvmt::LanguageEnglish, "manual_en.md"}}) {
        QTranslator interface;
        QTranslator toolkit;
        if (edition.languageId == kvmt::LanguageEnglish) {
            if (!kvmt::loadInterfaceTranslation(interface, edition.languageId, binDir))
                return fail(QStringLiteral("no English interface file in %1").arg(binDir));
            QApplication::installTranslator(&interface);
        } else if (kvmt::loadToolkitTranslation(toolkit, edition.languageId)) {
            QApplication::installTranslator(&toolkit);
        }
        bool ok = false;
        const QString markdown = readText(sources.filePath(QString::fromLatin1(edition.source)), &ok);
        if (!ok)
            return fail(QStringLiteral("cannot read %1").arg(sources.filePath(QString::fromLatin1(edition.source))));

        const QMap<QString, QImage> screens = kvmt::manual::takeScreens(binDir, edition.languageId, *date);
        // The program opens the edition its interface names.
        const QString path = kvmt::manualPath(binDir);
        QString error;
        if (!kvmt::manual::writeManualPdf(markdown, screens, QStringLiteral("KVMTConf"), *date, path, &error))
            return fail(error);
        QApplication::removeTranslator(&interface);
        QApplication::removeTranslator(&toolkit);
    }
    return 0;
}
