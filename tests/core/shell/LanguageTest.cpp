// Protects the language choice kept in MT.ini, the question it leads to,
// and the English interface file that a starting program loads.
#include "shell/IniFile.h"
#include "shell/Language.h"
#include "shell/ProgramSettings.h"

#include "QtPrinters.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTranslator>

#include <gtest/gtest.h>

using namespace kvmt;

namespace {

class LanguageFile : public ::testing::Test
{
protected:
    QString path() const { return programSettingsPath(m_dir.path()); }
    void write(const QByteArray &bytes) const { ASSERT_TRUE(IniFile::fromBytes(bytes).save(path())); }
    std::optional<QString> stored() const { return IniFile::load(path()).value(u"COMMON", u"Language"); }

    QTemporaryDir m_dir;
};

} // namespace

TEST(LanguageMenu, PositionsNameTheLanguages)
{
    EXPECT_EQ(languageAtMenuPosition(0), std::optional<int>(LanguageRussian));
    EXPECT_EQ(languageAtMenuPosition(1), std::optional<int>(LanguageEnglish));
    EXPECT_EQ(languageAtMenuPosition(-1), std::nullopt);
    EXPECT_EQ(languageAtMenuPosition(2), std::nullopt);
}

TEST_F(LanguageFile, WithoutTheKeyRussianAsksNothingAndEnglishAsksForTheRestart)
{
    const LanguageChoice russian = storeLanguageChoice(path(), LanguageRussian);
    EXPECT_TRUE(russian.saved);
    EXPECT_FALSE(russian.restartNeeded);
    EXPECT_EQ(stored(), QStringLiteral("Russian"));

    write("[COMMON]\nMainForm=75,69,723,755\n");
    const LanguageChoice english = storeLanguageChoice(path(), LanguageEnglish);
    EXPECT_EQ(english.oldValue, QStringLiteral("Russian"));
    EXPECT_TRUE(english.restartNeeded);
    EXPECT_EQ(stored(), QStringLiteral("English"));
}

TEST_F(LanguageFile, TheSameLanguageInAnyCaseIsWrittenAgainWithoutAQuestion)
{
    write("[COMMON]\r\nMainForm=75,69,723,755\r\nlanguage=ENGLISH\r\n");
    const LanguageChoice choice = storeLanguageChoice(path(), LanguageEnglish);
    EXPECT_FALSE(choice.restartNeeded);
    // Rewritten in the menu's own spelling; the other keys stay.
    EXPECT_EQ(stored(), QStringLiteral("English"));
    EXPECT_EQ(IniFile::load(path()).value(u"COMMON", u"MainForm"), QStringLiteral("75,69,723,755"));
}

TEST_F(LanguageFile, AnUnknownStoredValueDiffersFromBothLanguages)
{
    for (const int languageId : {LanguageRussian, LanguageEnglish}) {
        write("[COMMON]\nLanguage=Deutsch\n");
        EXPECT_TRUE(storeLanguageChoice(path(), languageId).restartNeeded) << languageId;
    }
}

TEST_F(LanguageFile, TheNextStartUsesTheChosenLanguageWhateverTheSystemSays)
{
    storeLanguageChoice(path(), LanguageEnglish);
    EXPECT_EQ(readProgramSettings(path(), true).languageId, LanguageEnglish);
    EXPECT_EQ(startupLanguage(m_dir.path()), LanguageEnglish);
    storeLanguageChoice(path(), LanguageRussian);
    EXPECT_EQ(readProgramSettings(path(), false).languageId, LanguageRussian);
    EXPECT_EQ(startupLanguage(m_dir.path()), LanguageRussian);
}

TEST_F(LanguageFile, AnUnwritableFileStillReportsTheChoiceButNotAsSaved)
{
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("MT.ini"))); // a folder where the file should be
    const LanguageChoice choice = storeLanguageChoice(path(), LanguageEnglish);
    EXPECT_FALSE(choice.saved);
    EXPECT_TRUE(choice.restartNeeded);
    const LanguageChoice untracked = storeLanguageChoice(QString(), LanguageEnglish);
    EXPECT_FALSE(untracked.saved);
}

TEST(LanguageTranslation, RussianNeedsNoFileAndAMissingFileLeavesTheInterfaceRussian)
{
    QTemporaryDir empty;
    QTranslator translator;
    EXPECT_FALSE(loadInterfaceTranslation(translator, LanguageRussian, QStringLiteral(KVMT_TEST_BIN_DIR)));
    EXPECT_FALSE(loadInterfaceTranslation(translator, LanguageEnglish, empty.path()));
    EXPECT_TRUE(translator.isEmpty());
}

TEST(LanguageTranslation, TheBuiltEnglishFileNamesTheEnglishManual)
{
    EXPECT_EQ(manualFileName(), QStringLiteral("USER_MANUAL_KVMTConf.pdf"));
    QTranslator translator;
    ASSERT_TRUE(loadInterfaceTranslation(translator, LanguageEnglish, QStringLiteral(KVMT_TEST_BIN_DIR)));
    QCoreApplication::installTranslator(&translator);
    const QString english = manualFileName();
    QCoreApplication::removeTranslator(&translator);
    EXPECT_NE(english, QStringLiteral("USER_MANUAL_KVMTConf.pdf"));
    EXPECT_TRUE(english.endsWith(QStringLiteral(".pdf")));
    EXPECT_EQ(manualPath(QStringLiteral("/opt/kvmt")), QStringLiteral("/opt/kvmt/USER_MANUAL_KVMTConf.pdf"));
}

namespace {

// An installed layout: the program in bin/, its data in share/kvmtconf/.
class InstalledLayout : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_root.isValid());
        ASSERT_TRUE(QDir(m_root.path()).mkpath(QStringLiteral("bin")));
        ASSERT_TRUE(QDir(m_root.path()).mkpath(QStringLiteral("share/kvmtconf/translations")));
    }
    QString bin() const { return m_root.filePath(QStringLiteral("bin")); }
    QString share() const { return m_root.filePath(QStringLiteral("share/kvmtconf")); }
    static void touch(const QString &path)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
        file.write("%PDF-1.4\n");
    }

    QTemporaryDir m_root;
};

} // namespace

TEST_F(InstalledLayout, TheEnglishInterfaceIsFoundInTheShareFolder)
{
    QTranslator translator;
    EXPECT_FALSE(loadInterfaceTranslation(translator, LanguageEnglish, bin()));
    ASSERT_TRUE(QFile::copy(QDir(QStringLiteral(KVMT_TEST_BIN_DIR)).filePath(translationFileName()),
                            QDir(share()).filePath(QStringLiteral("translations/") + translationFileName())));
    ASSERT_TRUE(loadInterfaceTranslation(translator, LanguageEnglish, bin()));
    EXPECT_FALSE(translator.isEmpty());
}

TEST_F(InstalledLayout, TheManualIsTakenFromBesideTheProgramFirstThenFromTheShareFolder)
{
    const QString name = manualFileName();
    // Nothing anywhere: the path the build writes to, so that a viewer's
    // complaint names the expected place.
    EXPECT_EQ(manualPath(bin()), QDir(bin()).filePath(name));

    touch(QDir(share()).filePath(name));
    EXPECT_EQ(manualPath(bin()), QDir(share()).filePath(name));
    // A folder of that name is not a manual.
    ASSERT_TRUE(QDir(bin()).mkdir(name));
    EXPECT_EQ(manualPath(bin()), QDir(share()).filePath(name));
    ASSERT_TRUE(QDir(bin()).rmdir(name));

    touch(QDir(bin()).filePath(name));
    EXPECT_EQ(manualPath(bin()), QDir(bin()).filePath(name));
}
