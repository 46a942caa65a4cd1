// Protects the language choice kept in MT.ini, the question it leads to,
// and the English interface file that a starting program loads.
#include "shell/IniFile.h"
#include "shell/Language.h"
#include "shell/ProgramSettings.h"

#include "QtPrinters.h"

#include <QCoreApplication>
#include <QDir>
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
