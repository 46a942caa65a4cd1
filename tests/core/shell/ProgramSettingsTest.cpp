// Protects MT.ini: what is read at start, when the geometry is written at
// exit, and that a file of other programs' keys survives our writes.
#include "shell/CommandLine.h"
#include "shell/ExeDir.h"
#include "shell/IniFile.h"
#include "shell/ProgramSettings.h"

#include "QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kvmt;

namespace {

class ProgramSettingsFile : public ::testing::Test
{
protected:
    QString path() const { return programSettingsPath(m_dir.path()); }
    void write(const QByteArray &bytes) const
    {
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QByteArray contents() const
    {
        QFile file(path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir m_dir;
};

const WindowGeometry kDesign{75, 69, 723, 755};

} // namespace

TEST(GeometryScan, ReadsAsScanfWould)
{
    EXPECT_EQ(scanGeometry(QStringLiteral("75,69,723,755")).geometry, kDesign);
    EXPECT_TRUE(scanGeometry(QStringLiteral("75,69,723,755")).complete);
    EXPECT_TRUE(scanGeometry(QStringLiteral("-8,-8,723,700 trailing")).complete);
    EXPECT_EQ(scanGeometry(QStringLiteral("-8,-8,723,700")).geometry, (WindowGeometry{-8, -8, 723, 700}));

    // Partly scanned: the numbers before the mismatch are kept, the rest 0.
    const GeometryScan three = scanGeometry(QStringLiteral("75,69,723"));
    EXPECT_FALSE(three.complete);
    EXPECT_EQ(three.geometry, (WindowGeometry{75, 69, 723, 0}));
    EXPECT_EQ(scanGeometry(QStringLiteral("75;69,723,755")).geometry, (WindowGeometry{75, 0, 0, 0}));
    EXPECT_FALSE(scanGeometry(QStringLiteral("75, 69 ,723,755")).complete);
    EXPECT_FALSE(scanGeometry(QString()).complete);
    EXPECT_EQ(scanGeometry(QStringLiteral("x")).geometry, WindowGeometry{});

    EXPECT_EQ(formatGeometry(kDesign), QStringLiteral("75,69,723,755"));
    EXPECT_EQ(scanGeometry(formatGeometry({-1, 2, 3, -4})).geometry, (WindowGeometry{-1, 2, 3, -4}));
}

TEST(MainFormGeometry, KeepsTheOuterSizeWithoutCreepingByAFrame)
{
    // A frame of 16 by 39 pixels, known at start or only once on screen.
    for (const int frameAtStart : {39, 0}) {
        SCOPED_TRACE(frameAtStart);
        MainFormGeometry geometry(scanGeometry(QStringLiteral("40,30,723,700")));
        const std::optional<WindowGeometry> inside = geometry.insideAtStart(frameAtStart ? 16 : 0, frameAtStart);
        ASSERT_TRUE(inside);
        EXPECT_EQ(*inside, (WindowGeometry{40, 30, frameAtStart ? 707 : 723, 700 - frameAtStart}));
        // Left as it started: the stored value, so nothing is written.
        EXPECT_EQ(geometry.atExit(*inside, 16, 39), (WindowGeometry{40, 30, 723, 700}));
        // Resized: the outer size.
        EXPECT_EQ(geometry.atExit({40, 30, 700, 600}, 16, 39), (WindowGeometry{40, 30, 716, 639}));
    }
    // Nothing whole to restore: the window keeps its layout, and the exit
    // writes its outer size.
    MainFormGeometry partial(scanGeometry(QStringLiteral("40,30,723")));
    EXPECT_FALSE(partial.insideAtStart(16, 39));
    EXPECT_EQ(partial.atExit({40, 30, 723, 700}, 16, 39), (WindowGeometry{40, 30, 739, 739}));
}

TEST(LanguageChoice, StoredNameFirstThenTheSystem)
{
    EXPECT_EQ(chooseLanguageId(QStringLiteral("English"), true), LanguageEnglish);
    EXPECT_EQ(chooseLanguageId(QStringLiteral("RUSSIAN"), false), LanguageRussian);
    EXPECT_EQ(chooseLanguageId(QString(), true), LanguageRussian);
    EXPECT_EQ(chooseLanguageId(QString(), false), LanguageEnglish);
    EXPECT_EQ(chooseLanguageId(QStringLiteral("Deutsch"), false), LanguageEnglish);
}

TEST_F(ProgramSettingsFile, MissingFileGivesDefaultsAndExitCreatesIt)
{
    const ProgramSettings russian = readProgramSettings(path(), true);
    EXPECT_TRUE(russian.geometryText.isEmpty());
    EXPECT_FALSE(russian.stored.complete);
    EXPECT_EQ(russian.stored.geometry, WindowGeometry{});
    EXPECT_EQ(russian.languageId, LanguageRussian);
    EXPECT_EQ(readProgramSettings(path(), false).languageId, LanguageEnglish);
    EXPECT_FALSE(QFile::exists(path())) << "reading never creates the file";

    // The window's geometry differs from the all-zero stored one.
    EXPECT_TRUE(saveGeometryIfChanged(path(), kDesign, russian.stored.geometry));
    EXPECT_EQ(contents(), QByteArray("[COMMON]\nMainForm=75,69,723,755\n"));
    const ProgramSettings again = readProgramSettings(path(), true);
    EXPECT_TRUE(again.stored.complete);
    EXPECT_EQ(again.stored.geometry, kDesign);
}

TEST_F(ProgramSettingsFile, UnchangedGeometryLeavesTheFileUntouched)
{
    const QByteArray original = "[common]\r\nmainform = \"75,69,723,755\"\r\n";
    write(original);
    const ProgramSettings settings = readProgramSettings(path(), true);
    ASSERT_TRUE(settings.stored.complete) << "names without regard to case, value unquoted";
    // A write would have put the value in the plain form.
    EXPECT_TRUE(saveGeometryIfChanged(path(), settings.stored.geometry, settings.stored.geometry));
    EXPECT_EQ(contents(), original);
}

TEST_F(ProgramSettingsFile, ThreeNumbersAreIgnoredButTheExitWritesAllFour)
{
    write("[COMMON]\nLanguage=English\nMainForm=10,20,723\n");
    const ProgramSettings settings = readProgramSettings(path(), true);
    EXPECT_EQ(settings.geometryText, QStringLiteral("10,20,723"));
    EXPECT_FALSE(settings.stored.complete);
    EXPECT_EQ(settings.languageId, LanguageEnglish);

    // The window kept its design place, which differs from 10,20,723,0.
    EXPECT_TRUE(saveGeometryIfChanged(path(), kDesign, settings.stored.geometry));
    EXPECT_EQ(contents(), QByteArray("[COMMON]\nLanguage=English\nMainForm=75,69,723,755\n"));
}

TEST_F(ProgramSettingsFile, WritesKeepOtherSectionsKeysAndBytes)
{
    // Another section, a comment, a Windows-1251 value and CR LF line ends.
    write("; KVMTConf\r\n[Other]\r\nName=\xcf\xf0\xe8\xe1\xee\xf0\r\n\r\n[COMMON]\r\nLanguage=Russian\r\n\r\n[Tail]\r\nX=1\r\n");
    ASSERT_TRUE(saveGeometryIfChanged(path(), {1, 2, 723, 700}, {}));
    EXPECT_EQ(contents(), QByteArray("; KVMTConf\r\n[Other]\r\nName=\xcf\xf0\xe8\xe1\xee\xf0\r\n\r\n[COMMON]\r\n"
                                     "Language=Russian\r\nMainForm=1,2,723,700\r\n\r\n[Tail]\r\nX=1\r\n"));
    ASSERT_TRUE(saveLanguage(path(), QStringLiteral("English")));
    EXPECT_EQ(IniFile::load(path()).value(u"COMMON", u"Language"), QStringLiteral("English"));
    EXPECT_EQ(IniFile::load(path()).value(u"Other", u"Name"), QStringLiteral("Прибор"));
    EXPECT_EQ(IniFile::load(path()).value(u"Other", u"MainForm"), std::nullopt);
}

TEST_F(ProgramSettingsFile, AnUnwritableFolderIsNotAnError)
{
    const QString missingFolder = QDir(m_dir.path()).filePath(QStringLiteral("gone/MT.ini"));
    EXPECT_FALSE(saveGeometryIfChanged(missingFolder, kDesign, {}));
    EXPECT_FALSE(QFile::exists(missingFolder));
    // A folder where the file should be: the write fails, nothing else.
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("MT.ini")));
    EXPECT_FALSE(saveGeometryIfChanged(path(), kDesign, {}));
    EXPECT_FALSE(readProgramSettings(path(), true).stored.complete);
}

TEST(VersionCaption, MajorAndMinorInPlainDecimal)
{
    EXPECT_EQ(versionCaption(1, 30), QStringLiteral("KVMTConf 1.30"));
    EXPECT_EQ(versionCaption(2, 5), QStringLiteral("KVMTConf 2.5"));
    EXPECT_EQ(versionCaption(KVMT_VERSION_MAJOR, KVMT_VERSION_MINOR),
              QStringLiteral("KVMTConf %1.%2").arg(KVMT_VERSION_MAJOR).arg(KVMT_VERSION_MINOR));
}

TEST(CommandLine, OnlyCmdWithOneOptionalPrefixShowsTheConsole)
{
    for (const char *yes : {"cmd", "/CMD", "-Cmd"})
        EXPECT_TRUE(consoleRequested({QString::fromLatin1(yes)})) << yes;
    for (const char *no : {"--cmd", "cmd2", "/-cmd", "", "cm", "/", "c md"})
        EXPECT_FALSE(consoleRequested({QString::fromLatin1(no)})) << no;
    EXPECT_TRUE(consoleRequested({QString(), QStringLiteral("x.atc"), QStringLiteral("/cmd")}));
    EXPECT_FALSE(consoleRequested({}));
}

TEST(ExeDir, ProgramFolderOnlyWhenItCanBeWritten)
{
    const QString program = QStringLiteral("/opt/kvmtconf");
    const QString data = QStringLiteral("/home/u/.local/share/KVMTConf");
    EXPECT_EQ(chooseExeDir(program, data, [](const QString &) { return true; }), program);
    EXPECT_EQ(chooseExeDir(program, data, [](const QString &) { return false; }), data);

    QTemporaryDir dir;
    EXPECT_TRUE(folderIsWritable(dir.path()));
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty())
        << "the probe leaves nothing behind";
    EXPECT_FALSE(folderIsWritable(QDir(dir.path()).filePath(QStringLiteral("missing"))));
    EXPECT_FALSE(folderIsWritable(QString()));
}

// A file as other editors leave it: stray carriage returns at line ends, the
// last line without a line end. The first write may tidy them, but from then
// on every write gives the same bytes and the line-end style never flips.
class IniLineEnds : public ::testing::TestWithParam<std::pair<const char *, const char *>>
{
};

TEST_P(IniLineEnds, SecondWriteChangesNothing)
{
    const QByteArray original = GetParam().first;
    IniFile file = IniFile::fromBytes(original);
    file.setValue(u"COMMON", u"MainForm", formatGeometry(kDesign));
    const QByteArray written = file.toBytes();
    EXPECT_EQ(written, QByteArray(GetParam().second));

    IniFile reread = IniFile::fromBytes(written);
    EXPECT_EQ(reread.toBytes(), written);
    EXPECT_EQ(reread.value(u"COMMON", u"Language"), QStringLiteral("Russian"));
    reread.setValue(u"COMMON", u"MainForm", formatGeometry(kDesign));
    EXPECT_EQ(reread.toBytes(), written);
}

INSTANTIATE_TEST_SUITE_P(
    StrayCarriageReturns, IniLineEnds,
    ::testing::Values(
        // Line feeds only, two carriage returns ending the last line: kept
        // with one of them, the line came back as a CR LF line end.
        std::pair{"[COMMON]\nLanguage=Russian\r\r", "[COMMON]\nLanguage=Russian\nMainForm=75,69,723,755\n"},
        std::pair{"[COMMON]\r\nLanguage=Russian\r\r\n", "[COMMON]\r\nLanguage=Russian\r\nMainForm=75,69,723,755\r\n"},
        std::pair{"[COMMON]\nLanguage=Russian\r", "[COMMON]\nLanguage=Russian\nMainForm=75,69,723,755\n"},
        std::pair{"[COMMON]\r\r\nLanguage=Russian\r\n", "[COMMON]\r\nLanguage=Russian\r\nMainForm=75,69,723,755\r\n"}));
