// MT.ini as another program or a person may have left it. Writing the file
// back changes nothing a second read would see; setting the window's place
// or the language changes only that value, which then reads back as set;
// and what the program takes from the file at start-up is what the file
// holds.
#include "shell/IniFile.h"
#include "shell/ProgramSettings.h"
#include "text/Cp1251.h"

#include "FuzzCheck.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstdint>
#include <string>

using kvmt::IniFile;
using kvmt::WindowGeometry;

namespace {

struct Probe {
    QString section;
    QString key;
};

QList<Probe> probesOf(const QByteArray &bytes, const Probe &extra)
{
    QList<Probe> probes{{QStringLiteral("COMMON"), QStringLiteral("MainForm")},
                        {QStringLiteral("COMMON"), QStringLiteral("Language")},
                        {QStringLiteral("common"), QStringLiteral("mainform")},
                        extra};
    // Every "name=" in the file, under every section named in it.
    QStringList sections{QString()};
    QStringList keys;
    for (const QByteArray &line : bytes.split('\n')) {
        const QString text = kvmt::fromCp1251(line).trimmed();
        if (text.startsWith(u'[')) {
            const qsizetype close = text.indexOf(u']');
            sections.append(text.mid(1, close < 0 ? -1 : close - 1).trimmed());
        } else if (const qsizetype eq = text.indexOf(u'='); eq >= 0) {
            keys.append(text.left(eq).trimmed());
        }
        if (sections.size() + keys.size() > 40)
            break;
    }
    for (const QString &section : sections)
        for (const QString &key : keys)
            probes.append({section, key});
    return probes;
}

bool sameValues(const IniFile &a, const IniFile &b, const QList<Probe> &probes, const Probe &except)
{
    for (const Probe &p : probes) {
        if (p.section.compare(except.section, Qt::CaseInsensitive) == 0
            && p.key.compare(except.key, Qt::CaseInsensitive) == 0)
            continue;
        if (a.value(p.section, p.key) != b.value(p.section, p.key))
            return false;
    }
    return true;
}

const QString &scratchIni()
{
    static const QString path = [] {
        // In memory where there is such a folder: the save syncs to disk.
        const QString base = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
        const QString dir = QDir(base).filePath(QStringLiteral("kvmt-fuzz-ini-%1").arg(QCoreApplication::applicationPid()));
        QDir().mkpath(dir);
        return kvmt::programSettingsPath(dir);
    }();
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const WindowGeometry moved{input.ConsumeIntegral<int>(), input.ConsumeIntegral<int>(),
                               input.ConsumeIntegral<int>(), input.ConsumeIntegral<int>()};
    const bool viaDisk = input.ConsumeIntegralInRange<int>(0, 7) == 0;
    const std::string extraSection = input.ConsumeRandomLengthString(16);
    const std::string extraKey = input.ConsumeRandomLengthString(16);
    const std::string rest = input.ConsumeRemainingBytesAsString();
    const QByteArray bytes(rest.data(), qsizetype(rest.size()));
    const Probe extra{QString::fromLatin1(extraSection.data(), qsizetype(extraSection.size())),
                      QString::fromLatin1(extraKey.data(), qsizetype(extraKey.size()))};
    const QList<Probe> probes = probesOf(bytes, extra);

    const IniFile file = IniFile::fromBytes(bytes);
    const QByteArray written = file.toBytes();
    const IniFile reread = IniFile::fromBytes(written);
    FUZZ_CHECK(reread.toBytes() == written);
    FUZZ_CHECK(sameValues(file, reread, probes, Probe{}));

    // The window's place, as the program stores it at exit.
    const QString geometryText = kvmt::formatGeometry(moved);
    const kvmt::GeometryScan scanned = kvmt::scanGeometry(geometryText);
    FUZZ_CHECK(scanned.complete && scanned.geometry == moved);

    IniFile updated = file;
    const Probe mainForm{QStringLiteral("COMMON"), QStringLiteral("MainForm")};
    updated.setValue(mainForm.section, mainForm.key, geometryText);
    FUZZ_CHECK(updated.value(mainForm.section, mainForm.key) == geometryText);
    const IniFile updatedReread = IniFile::fromBytes(updated.toBytes());
    FUZZ_CHECK(updatedReread.value(mainForm.section, mainForm.key) == geometryText);
    FUZZ_CHECK(sameValues(file, updatedReread, probes, mainForm));

    // What start-up takes from the file is what the file holds.
    const QString storedText = file.value(mainForm.section, mainForm.key).value_or(QString());
    const kvmt::GeometryScan stored = kvmt::scanGeometry(storedText);
    if (stored.complete)
        FUZZ_CHECK(kvmt::scanGeometry(kvmt::formatGeometry(stored.geometry)).geometry == stored.geometry);
    const int language = kvmt::chooseLanguageId(file.value(QStringLiteral("COMMON"), QStringLiteral("Language")).value_or(QString()), true);
    FUZZ_CHECK(language == kvmt::LanguageRussian || language == kvmt::LanguageEnglish);

    if (!viaDisk)
        return 0;
    // The same through the file on disk, as the program really reads and
    // writes it.
    const QString &path = scratchIni();
    {
        QFile out(path);
        FUZZ_CHECK(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        FUZZ_CHECK(out.write(bytes) == bytes.size());
    }
    const kvmt::ProgramSettings read = kvmt::readProgramSettings(path, true);
    FUZZ_CHECK(read.geometryText == storedText);
    FUZZ_CHECK(read.stored.geometry == stored.geometry && read.stored.complete == stored.complete);
    FUZZ_CHECK(read.languageId == language);
    FUZZ_CHECK(kvmt::saveGeometryIfChanged(path, moved, moved == stored.geometry ? moved : stored.geometry));
    const kvmt::ProgramSettings after = kvmt::readProgramSettings(path, true);
    if (moved != stored.geometry)
        FUZZ_CHECK(after.geometryText == geometryText && after.stored.geometry == moved);
    else
        FUZZ_CHECK(after.geometryText == storedText);
    FUZZ_CHECK(after.languageId == language);
    return 0;
}
