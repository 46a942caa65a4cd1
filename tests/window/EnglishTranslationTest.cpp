// Protects the English interface and the language and help menu items: with
// the English file loaded no Russian text is left on any page, dialog or
// menu; the menu records the choice, asks for the restart only when the
// language changed and starts nothing unless the person agreed.
#include "ui/TForm1.h"
#include "ui/TForm2.h"
#include "ui/TFormPass.h"

#include "ScriptedPrompts.h"
#include "TrackerFixture.h"
#include "shell/Language.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QTranslator>
#include <QUrl>

#include <gtest/gtest.h>

#include <memory>

using namespace kvmt;
using namespace kvmt::test;

namespace {

bool hasCyrillic(const QString &text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() >= 0x400 && c.unicode() <= 0x4FF; });
}

// Every text a person can see on the widget's window now, with the name of
// the control that shows it.
QStringList visibleRussian(QWidget *window)
{
    QStringList found;
    const auto check = [&found](const QObject *control, const QString &text) {
        if (hasCyrillic(text))
            found.append(control->objectName() + QStringLiteral(": ") + text);
    };
    check(window, window->windowTitle());
    for (QWidget *widget : window->findChildren<QWidget *>()) {
        if (!widget->isVisibleTo(window))
            continue;
        if (auto *label = qobject_cast<QLabel *>(widget))
            check(label, label->text());
        else if (auto *button = qobject_cast<QAbstractButton *>(widget))
            check(button, button->text());
        else if (auto *group = qobject_cast<QGroupBox *>(widget))
            check(group, group->title());
        else if (auto *edit = qobject_cast<QLineEdit *>(widget))
            check(edit, edit->text());
        else if (auto *list = qobject_cast<QComboBox *>(widget)) {
            for (int i = 0; i < list->count(); ++i)
                check(list, list->itemText(i));
        } else if (auto *tabs = qobject_cast<QTabWidget *>(widget)) {
            for (int i = 0; i < tabs->count(); ++i)
                check(tabs, tabs->tabText(i));
        } else if (auto *text = qobject_cast<QTextEdit *>(widget))
            check(text, text->toPlainText());
        else if (auto *plain = qobject_cast<QPlainTextEdit *>(widget))
            check(plain, plain->toPlainText());
    }
    return found;
}

// Records the documents the program asks the desktop to open.
class OpenedUrls : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> urls;

public slots:
    void open(const QUrl &url) { urls.append(url); }
};

class WindowInLanguage : public ::testing::Test
{
protected:
    void SetUp() override { TrackerHome::instance().reset(); }
    void TearDown() override
    {
        window.reset();
        QApplication::removeTranslator(&translator);
    }

    void installEnglish()
    {
        ASSERT_TRUE(loadInterfaceTranslation(translator, LanguageEnglish, QStringLiteral(KVMT_TEST_BIN_DIR)));
        QApplication::installTranslator(&translator);
    }
    void writeIni(const QByteArray &bytes) const
    {
        QFile file(exeDir.filePath(QStringLiteral("MT.ini")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QByteArray ini() const
    {
        QFile file(exeDir.filePath(QStringLiteral("MT.ini")));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    TForm1 &create()
    {
        TForm1::Options options;
        options.libraryDirs = {QStringLiteral(KVMT_TEST_BIN_DIR)};
        options.prompts = &prompts;
        options.watchDevices = false;
        options.exeDir = exeDir.path();
        window = std::make_unique<TForm1>(options);
        window->show();
        return *window;
    }
    QAction *item(const char *name) const { return window->findChild<QAction *>(QString::fromLatin1(name)); }

    QTranslator translator;
    QTemporaryDir exeDir;
    ScriptedPrompts prompts;
    std::unique_ptr<TForm1> window;
};

} // namespace

TEST_F(WindowInLanguage, EnglishLeavesNoRussianOnAnyPageOfAConnectedWindow)
{
    installEnglish();
    writeIni("[COMMON]\nLanguage=English\n");
    TrackerHome::instance().plug(scenario());
    TForm1 &form = create();
    form.configurator().monitor().devtimerTimer();
    ASSERT_TRUE(form.configurator().isConnected());

    auto *pages = form.findChild<QTabWidget *>(QStringLiteral("PageControl1"));
    auto *setup = form.findChild<QTabWidget *>(QStringLiteral("pcSetup"));
    ASSERT_TRUE(pages && setup);
    for (int page = 0; page < pages->count(); ++page) {
        // Switching pages as the person does also builds the summary in the
        // interface's language.
        QTest::mouseClick(pages->tabBar(), Qt::LeftButton, {}, pages->tabBar()->tabRect(page).center());
        QApplication::processEvents();
        const int inner = pages->currentWidget() == setup->parentWidget() ? setup->count() : 1;
        for (int i = 0; i < inner; ++i) {
            if (inner > 1)
                setup->setCurrentIndex(i);
            EXPECT_EQ(visibleRussian(&form), QStringList())
                << pages->tabText(page).toStdString() << " / " << setup->tabText(i).toStdString();
        }
    }
    const auto *summary = form.findChild<QTextEdit *>(QStringLiteral("All_param"));
    ASSERT_NE(summary, nullptr);
    EXPECT_TRUE(summary->toPlainText().contains(QStringLiteral("Server port = ")));
    EXPECT_FALSE(summary->horizontalScrollBar()->isVisible()) << "the English lines fit the tab's width too";

    for (QMenu *menu : form.menuBar()->findChildren<QMenu *>()) {
        EXPECT_FALSE(hasCyrillic(menu->title())) << menu->title().toStdString();
        for (const QAction *action : menu->actions())
            EXPECT_FALSE(hasCyrillic(action->text())) << action->text().toStdString();
    }
    for (const QAction *action : form.menuBar()->actions())
        EXPECT_FALSE(hasCyrillic(action->text())) << action->text().toStdString();
    EXPECT_TRUE(item("English1")->isChecked());
    EXPECT_FALSE(item("N3")->isChecked());
}

TEST_F(WindowInLanguage, EnglishReachesTheOtherWindowsAndTheDesignState)
{
    installEnglish();
    TForm1 &form = create();
    // Without a tracker: the design texts and the lists' items.
    EXPECT_EQ(visibleRussian(&form), QStringList());
    form.logWindow()->show();
    EXPECT_EQ(visibleRussian(form.logWindow()), QStringList());
    TFormPass password(&form);
    password.show();
    EXPECT_EQ(visibleRussian(&password), QStringList());
}

TEST_F(WindowInLanguage, ChoosingTheStoredLanguageAsksNothing)
{
    writeIni("[COMMON]\nLanguage=russian\n");
    create();
    EXPECT_TRUE(item("N3")->isChecked());
    item("N3")->trigger();
    EXPECT_TRUE(prompts.questions.isEmpty());
    EXPECT_TRUE(ini().contains("Language=Russian"));
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->restartOnExit());
}

TEST_F(WindowInLanguage, DecliningTheRestartKeepsTheChoiceForTheNextStart)
{
    writeIni("[COMMON]\nLanguage=Russian\n");
    create();
    prompts.answerYes = false;
    item("English1")->trigger();
    ASSERT_EQ(prompts.questions.size(), 1);
    EXPECT_EQ(prompts.questions[0].caption, QStringLiteral("Korvel-MT Conf"));
    EXPECT_EQ(prompts.questions[0].text,
              QStringLiteral("Необходимо перезапустить программу для применения изменений. Сделать это сейчас?"));
    EXPECT_TRUE(ini().contains("Language=English"));
    EXPECT_TRUE(item("English1")->isChecked());
    EXPECT_FALSE(item("N3")->isChecked());
    // The interface keeps its language until the next start.
    EXPECT_EQ(window->findChild<QMenu *>(QStringLiteral("N1"))->title(), QStringLiteral("Файл"));
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->restartOnExit());
}

TEST_F(WindowInLanguage, AgreeingClosesTheWindowAndLeavesTheRestartForAfterIt)
{
    writeIni("[COMMON]\nLanguage=English\n");
    create();
    prompts.answerYes = true;
    item("N3")->trigger();
    EXPECT_EQ(prompts.questions.size(), 1);
    EXPECT_TRUE(ini().contains("Language=Russian"));
    EXPECT_FALSE(window->isVisible());
    ASSERT_TRUE(window->restartOnExit());
    // No updater stands beside the test program: it would start itself anew.
    EXPECT_EQ(window->restartOnExit()->program, QApplication::applicationFilePath());
}

TEST_F(WindowInLanguage, HelpOpensTheManualOfTheInterfacesLanguageBesideTheProgram)
{
    OpenedUrls opened;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &opened, "open");
    create();
    item("N2")->trigger();
    window.reset();

    installEnglish();
    create();
    item("N2")->trigger();
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));

    const QString dir = QApplication::applicationDirPath();
    ASSERT_EQ(opened.urls.size(), 2);
    EXPECT_EQ(opened.urls[0], QUrl::fromLocalFile(dir + QStringLiteral("/USER_MANUAL_KVMTConf.pdf")));
    EXPECT_EQ(opened.urls[1], QUrl::fromLocalFile(dir + QStringLiteral("/USER_MANUAL_KVMTConf_EN.pdf")));
}

#include "EnglishTranslationTest.moc"
