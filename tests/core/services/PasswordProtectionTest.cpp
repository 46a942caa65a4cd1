// Protects the password actions of the "Security" page: what each sends,
// how each reads the answer (also an answer that makes no sense), which
// fields it empties, and that no password reaches the log.
#include "TrackerFixture.h"
#include "../settings/SequenceRig.h"

#include "Configurator.h"
#include "ScriptedPrompts.h"
#include "log/EventLog.h"
#include "services/PasswordProtection.h"
#include "settings/DeviceSettings.h"

#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kvmt;
using namespace kvmt::test;

namespace {

LogLine line(const QString &text, int kind)
{
    return {text, kind};
}

const QString kSwitching = QStringLiteral("Изменение состояния защиты");
const QString kChanging = QStringLiteral("Изменение пароля");
const QString kSetting = QStringLiteral("Установка пароля");
const QString kChanged = QStringLiteral("Пароль успешно изменен");

class ProtectionTest : public TrackerTest
{
protected:
    void plugWith(const QStringList &trackerKeys = {})
    {
        home.plug(scenario(QStringLiteral("5001500"), QStringLiteral("KVMT-1.44"), trackerKeys));
        openFirst();
        flags |= LinkFlag::Connected;
    }

    QByteArray ask(const QByteArray &command)
    {
        link.sendCommand(command);
        return link.receiveReply() == 0 ? link.replyKey() + '=' + link.replyValue() : QByteArray();
    }

    void expectNoPasswordLogged(const QStringList &passwords) const
    {
        for (const LogLine &l : log.lines()) {
            for (const QString &password : passwords)
                EXPECT_FALSE(l.text.contains(password)) << l.text.toStdString();
        }
    }

    DeviceSettings settings;
    RecordingEventLog log;
    LinkFlags flags;
    PasswordProtection protection{link, settings, log, flags};
};

class ProtectionReplyTest : public ::testing::Test
{
protected:
    DeviceSettings settings;
    RecordingEventLog log;
    LinkFlags flags = LinkFlag::Connected;
    // Answers the protection commands with whatever reply a test sets.
    void answer(const QByteArray &reply)
    {
        for (const char *key : {"SECURESETUP", "SECUREPASSCHANGE", "SECURERESET"})
            tracker.rawReplies.insert(key, reply);
    }

    FakeTracker tracker;
    PasswordProtection protection{tracker, settings, log, flags};
};

} // namespace

TEST_F(ProtectionTest, WithoutAConnectionNothingIsSentOrTouched)
{
    plugWith();
    flags = {};
    settings.setChecked(F::cbPINCode, true);
    settings.setText(F::Passw, QStringLiteral("1234"));
    settings.setText(F::OldPass_, QStringLiteral("12"));
    settings.setText(F::edMasterPass, QStringLiteral("short"));
    protection.btOnOffPINClick();
    protection.btChangePINClick();
    protection.edResetLockMpClick();

    const LogLine notConnected = line(QStringLiteral("Прибор не подключен"), LogError);
    EXPECT_EQ(log.lines(), (QList<LogLine>{notConnected, notConnected, notConnected}));
    EXPECT_TRUE(home.commands(QStringLiteral("5001500")).isEmpty());
    EXPECT_TRUE(settings.isChecked(F::cbPINCode));
    EXPECT_EQ(settings.text(F::Passw), QStringLiteral("1234"));
    EXPECT_EQ(settings.text(F::OldPass_), QStringLiteral("12"));
    EXPECT_EQ(settings.text(F::edMasterPass), QStringLiteral("short"));
}

TEST_F(ProtectionTest, SwitchingOnWithTheRightPassword)
{
    plugWith();
    settings.setChecked(F::cbPINCode, true);
    settings.setText(F::Passw, QStringLiteral("1234"));
    protection.btOnOffPINClick();

    EXPECT_EQ(home.commands(QStringLiteral("5001500")).last(), QStringLiteral("SECURESETUP=1,1234;"));
    EXPECT_EQ(log.lines(), (QList<LogLine>{line(kSwitching, LogPlain),
                                           line(QStringLiteral("Состояние защиты изменено"), LogSuccess)}));
    EXPECT_TRUE(settings.isChecked(F::cbPINCode));
    EXPECT_TRUE(settings.text(F::Passw).isEmpty());
    EXPECT_EQ(ask("SECURESETUP=?;"), "SECURESETUP=1");
    expectNoPasswordLogged({QStringLiteral("1234")});
}

TEST_F(ProtectionTest, RejectedSwitchPutsTheBoxBackWhateverItShowed)
{
    plugWith();
    // Ticked to switch on, wrong password: the tick is undone.
    settings.setChecked(F::cbPINCode, true);
    settings.setText(F::Passw, QStringLiteral("9999"));
    protection.btOnOffPINClick();
    EXPECT_EQ(log.lines().last(), line(QStringLiteral("Неверный пароль"), LogError));
    EXPECT_FALSE(settings.isChecked(F::cbPINCode));
    EXPECT_TRUE(settings.text(F::Passw).isEmpty());

    // Untouched box, rejected again: inverted all the same, and an empty
    // password travels as an empty field.
    protection.btOnOffPINClick();
    EXPECT_EQ(home.commands(QStringLiteral("5001500")).last(), QStringLiteral("SECURESETUP=0,;"));
    EXPECT_TRUE(settings.isChecked(F::cbPINCode));
    EXPECT_EQ(ask("SECURESETUP=?;"), "SECURESETUP=0");
}

TEST_F(ProtectionTest, LockedOrSilentTrackerMakesNoSwitch)
{
    plugWith({QStringLiteral("protected=1")});
    settings.setChecked(F::cbPINCode, false);
    settings.setText(F::Passw, QStringLiteral("1234"));
    protection.btOnOffPINClick();
    EXPECT_EQ(log.lines().last(), line(QStringLiteral("Включение защиты невозможно"), LogError));
    EXPECT_TRUE(settings.isChecked(F::cbPINCode));
    EXPECT_TRUE(settings.text(F::Passw).isEmpty());

    home.reset();
    plugWith({QStringLiteral("silent=SECURESETUP")});
    log.clear();
    settings.setText(F::Passw, QStringLiteral("1234"));
    protection.btOnOffPINClick();
    EXPECT_EQ(log.lines(), QList<LogLine>{line(kSwitching, LogPlain)});
    EXPECT_FALSE(settings.isChecked(F::cbPINCode));
    EXPECT_TRUE(settings.text(F::Passw).isEmpty());
}

TEST_F(ProtectionTest, ChangingThePassword)
{
    plugWith();
    settings.setText(F::OldPass_, QStringLiteral("123"));
    settings.setText(F::NewPass_, QStringLiteral("5678"));
    protection.btChangePINClick();
    EXPECT_EQ(log.lines(), (QList<LogLine>{line(kChanging, LogPlain), line(QStringLiteral("Неверный формат"), LogError)}));
    EXPECT_EQ(settings.text(F::OldPass_), QStringLiteral("123")) << "a wrong format keeps both fields";
    EXPECT_EQ(settings.text(F::NewPass_), QStringLiteral("5678"));

    settings.setText(F::OldPass_, QStringLiteral("1111"));
    protection.btChangePINClick();
    EXPECT_EQ(log.lines().last(), line(QStringLiteral("Неверный старый пароль"), LogError));
    EXPECT_TRUE(settings.text(F::OldPass_).isEmpty());
    EXPECT_TRUE(settings.text(F::NewPass_).isEmpty());

    settings.setText(F::OldPass_, QStringLiteral("1234"));
    settings.setText(F::NewPass_, QStringLiteral("5678"));
    protection.btChangePINClick();
    EXPECT_EQ(home.commands(QStringLiteral("5001500")).last(), QStringLiteral("SECUREPASSCHANGE=1234,5678;"));
    EXPECT_EQ(log.lines().last(), line(kChanged, LogSuccess));
    EXPECT_EQ(ask("SECUREOFFTMP=5678;"), "SECUREOFFTMP=1") << "the tracker took the new password";
    expectNoPasswordLogged({QStringLiteral("1234"), QStringLiteral("5678"), QStringLiteral("1111")});
}

TEST_F(ProtectionTest, ChangeRefusedOrUnansweredByTheTracker)
{
    plugWith({QStringLiteral("protected=1")});
    settings.setText(F::OldPass_, QStringLiteral("1234"));
    settings.setText(F::NewPass_, QStringLiteral("5678"));
    protection.btChangePINClick();
    EXPECT_EQ(log.lines().last(), line(QStringLiteral("изменение пароля невозможно"), LogError));
    EXPECT_TRUE(settings.text(F::OldPass_).isEmpty());

    home.reset();
    plugWith({QStringLiteral("silent=SECUREPASSCHANGE")});
    log.clear();
    settings.setText(F::OldPass_, QStringLiteral("1234"));
    settings.setText(F::NewPass_, QStringLiteral("5678"));
    protection.btChangePINClick();
    EXPECT_EQ(log.lines(), QList<LogLine>{line(kChanging, LogPlain)});
    EXPECT_EQ(settings.text(F::OldPass_), QStringLiteral("1234"));
    EXPECT_EQ(settings.text(F::NewPass_), QStringLiteral("5678"));
}

TEST_F(ProtectionTest, MasterResetChecksEachFieldAndEmptiesOnlyTheWrongOne)
{
    plugWith();
    settings.setText(F::edMasterPass, QStringLiteral("ABCDEFGHIJKLMNO"));
    settings.setText(F::NewPassM, QStringLiteral("4321"));
    protection.edResetLockMpClick();
    EXPECT_EQ(log.lines().last(), line(QStringLiteral("Неверный формат мастер-пароля"), LogError));
    EXPECT_TRUE(settings.text(F::edMasterPass).isEmpty());
    EXPECT_EQ(settings.text(F::NewPassM), QStringLiteral("4321"));

    settings.setText(F::edMasterPass, QStringLiteral("ABCDEFGHIJKLMNOP"));
    settings.setText(F::NewPassM, QStringLiteral("432"));
    protection.edResetLockMpClick();
    EXPECT_EQ(log.lines().last(), line(QStringLiteral("Неверный формат нового пароля"), LogError));
    EXPECT_EQ(settings.text(F::edMasterPass), QStringLiteral("ABCDEFGHIJKLMNOP"));
    EXPECT_TRUE(settings.text(F::NewPassM).isEmpty());
    EXPECT_TRUE(home.commands(QStringLiteral("5001500")).isEmpty());
}

TEST_F(ProtectionTest, MasterResetOpensALockedTracker)
{
    plugWith({QStringLiteral("protected=1")});
    settings.setText(F::edMasterPass, QStringLiteral("ABCDEFGHIJKLMNOX"));
    settings.setText(F::NewPassM, QStringLiteral("4321"));
    protection.edResetLockMpClick();
    EXPECT_EQ(log.lines().last(), line(QStringLiteral("Неверный мастер-пароль"), LogError));
    EXPECT_TRUE(settings.text(F::edMasterPass).isEmpty());
    EXPECT_TRUE(settings.text(F::NewPassM).isEmpty());

    settings.setText(F::edMasterPass, QStringLiteral("ABCDEFGHIJKLMNOP"));
    settings.setText(F::NewPassM, QStringLiteral("4321"));
    protection.edResetLockMpClick();
    EXPECT_EQ(home.commands(QStringLiteral("5001500")).last(), QStringLiteral("SECURERESET=ABCDEFGHIJKLMNOP,4321;"));
    EXPECT_EQ(log.lines(), (QList<LogLine>{line(kSetting, LogPlain),
                                           line(QStringLiteral("Неверный мастер-пароль"), LogError),
                                           line(kSetting, LogPlain), line(kChanged, LogSuccess)}));
    EXPECT_EQ(ask("SECUREPASSCHANGE=4321,1234;"), "SECUREPASSCHANGE=1");
    expectNoPasswordLogged({QStringLiteral("ABCDEFGHIJKLMNO"), QStringLiteral("4321")});
}

TEST_F(ProtectionReplyTest, AcceptedSwitchTakesTheStateFromTheReply)
{
    settings.setChecked(F::cbPINCode, true);
    answer("SECURESETUP=0,1;");
    protection.btOnOffPINClick();
    EXPECT_FALSE(settings.isChecked(F::cbPINCode));
    EXPECT_EQ(log.lines().last(), line(QStringLiteral("Состояние защиты изменено"), LogSuccess));
}

TEST_F(ProtectionReplyTest, SwitchReplyWithoutBothNumbersIsNoSwitch)
{
    for (const char *reply : {"SECURESETUP=1;", "SECURESETUP=;", "SECURESETUP=1, x;", "WRONG=SECURESETUP;", "NO_CMD"}) {
        log.clear();
        settings.setChecked(F::cbPINCode, true);
        settings.setText(F::Passw, QStringLiteral("1234"));
        answer(reply);
        protection.btOnOffPINClick();
        EXPECT_EQ(log.lines(), (QList<LogLine>{line(kSwitching, LogPlain),
                                               line(QStringLiteral("SECURESETUP error"), LogError)}))
            << reply;
        EXPECT_FALSE(settings.isChecked(F::cbPINCode)) << reply;
        EXPECT_TRUE(settings.text(F::Passw).isEmpty()) << reply;
    }
}

TEST_F(ProtectionReplyTest, ChangeAndResetRepliesThatAreNoNumberKeepTheFields)
{
    for (const char *reply : {"SECUREPASSCHANGE=;", "NO_CMD", "WRONG=SECUREPASSCHANGE;"}) {
        log.clear();
        settings.setText(F::OldPass_, QStringLiteral("1234"));
        settings.setText(F::NewPass_, QStringLiteral("5678"));
        answer(reply);
        protection.btChangePINClick();
        EXPECT_EQ(log.lines().last(), line(QStringLiteral("SECUREPASSCHANGE error"), LogError)) << reply;
        EXPECT_EQ(settings.text(F::OldPass_), QStringLiteral("1234")) << reply;
        EXPECT_EQ(settings.text(F::NewPass_), QStringLiteral("5678")) << reply;
    }
    // The change reads a leading number; the reset wants the whole value.
    answer("SECUREPASSCHANGE=1x;");
    protection.btChangePINClick();
    EXPECT_EQ(log.lines().last(), line(kChanged, LogSuccess));

    for (const char *reply : {"SECURERESET=1x;", "SECURERESET=;", "NO_CMD"}) {
        log.clear();
        settings.setText(F::edMasterPass, QStringLiteral("ABCDEFGHIJKLMNOP"));
        settings.setText(F::NewPassM, QStringLiteral("4321"));
        answer(reply);
        protection.edResetLockMpClick();
        EXPECT_EQ(log.lines(), (QList<LogLine>{line(kSetting, LogPlain),
                                               line(QStringLiteral("SECURERESET error"), LogError)}))
            << reply;
        EXPECT_EQ(settings.text(F::edMasterPass), QStringLiteral("ABCDEFGHIJKLMNOP")) << reply;
        EXPECT_EQ(settings.text(F::NewPassM), QStringLiteral("4321")) << reply;
    }
}

TEST_F(ProtectionReplyTest, MasterResetRefusalHasItsOwnWords)
{
    settings.setText(F::edMasterPass, QStringLiteral("ABCDEFGHIJKLMNOP"));
    settings.setText(F::NewPassM, QStringLiteral("4321"));
    answer("DEVLOCK;");
    protection.edResetLockMpClick();
    EXPECT_EQ(log.lines().last(),
              line(QStringLiteral("Запись имени пользователя APN невозможна. Проверьте уровень защиты"), LogError));
    EXPECT_TRUE(settings.text(F::edMasterPass).isEmpty());
}

TEST_F(ProtectionReplyTest, ShowingPasswordsUnmasksTheFivePasswordFields)
{
    for (const Field field : kPasswordFields)
        EXPECT_TRUE(settings.isMasked(field)) << DeviceSettings::name(field).toStdString();
    EXPECT_FALSE(settings.isMasked(F::edPinCode));

    settings.setChecked(F::cbViewPassEn, true);
    for (const Field field : kPasswordFields)
        EXPECT_FALSE(settings.isMasked(field)) << DeviceSettings::name(field).toStdString();
    settings.setChecked(F::cbViewPassEn, false);
    for (const Field field : kPasswordFields)
        EXPECT_TRUE(settings.isMasked(field)) << DeviceSettings::name(field).toStdString();
    EXPECT_TRUE(tracker.commands.isEmpty());
}

TEST(SwitchReply, ReadsTwoNumbersSeparatedByAComma)
{
    EXPECT_EQ(parseSwitchReply("1,1")->state, 1);
    EXPECT_EQ(parseSwitchReply(" 0, 1")->accepted, 1);
    EXPECT_EQ(parseSwitchReply("1,0;junk")->accepted, 0);
    EXPECT_FALSE(parseSwitchReply("1 ,1")) << "the comma follows the first number directly";
    EXPECT_FALSE(parseSwitchReply("1"));
    EXPECT_FALSE(parseSwitchReply("1,"));
    EXPECT_FALSE(parseSwitchReply(""));
}

namespace {

// The whole program, without a window: a tracker whose settings this window
// never read must not receive the window's blanks unasked.
class UnreadTrackerTest : public TrackerTest
{
protected:
    void connect(const QStringList &trackerKeys)
    {
        home.plug(scenario(QStringLiteral("5001500"), QStringLiteral("KVMT-1.44"),
                           trackerKeys + QStringList{QStringLiteral("[settings]"), QStringLiteral("GSMAPN=kept.apn"),
                                                     QStringLiteral("SERVER=kept.example")}));
        configurator.setExeDir(folder.path());
        configurator.monitor().devtimerTimer();
        ASSERT_TRUE(configurator.isConnected());
    }
    QStringList sent() const { return home.commands(QStringLiteral("5001500")); }

    QTemporaryDir folder;
    RecordingEventLog log;
    ScriptedPrompts prompts;
    Configurator configurator{log, prompts, {QStringLiteral(KVMT_TEST_BIN_DIR)}};
};

} // namespace

TEST_F(UnreadTrackerTest, MasterResetAfterADeclinedPasswordReadsTheTrackerAtOnce)
{
    connect({QStringLiteral("protected=1")}); // no password given: declined
    ASSERT_TRUE(sent().filter(QStringLiteral("GSMAPN=")).isEmpty());
    EXPECT_FALSE(configurator.isFilled());

    configurator.settings().setText(F::edMasterPass, QStringLiteral("ABCDEFGHIJKLMNOP"));
    configurator.settings().setText(F::NewPassM, QStringLiteral("4321"));
    configurator.protection().edResetLockMpClick();
    const qsizetype reset = sent().indexOf(QStringLiteral("SECURERESET=ABCDEFGHIJKLMNOP,4321;"));
    ASSERT_GE(reset, 0);
    EXPECT_EQ(sent().mid(reset + 1).value(0), QStringLiteral("ACCLEN=?;")) << "a whole read follows";
    EXPECT_EQ(configurator.settings().text(F::edAPN), QStringLiteral("kept.apn"));
    EXPECT_TRUE(configurator.isFilled());

    configurator.btSaveClick();
    EXPECT_TRUE(prompts.questions.isEmpty());
    EXPECT_TRUE(sent().contains(QStringLiteral("GSMAPN=kept.apn;")));
    EXPECT_FALSE(sent().contains(QStringLiteral("GSMAPN=;")));

    // Read once on this connection: a later change of password reads nothing.
    const qsizetype before = sent().size();
    configurator.settings().setText(F::OldPass_, QStringLiteral("4321"));
    configurator.settings().setText(F::NewPass_, QStringLiteral("1234"));
    configurator.protection().btChangePINClick();
    EXPECT_EQ(sent().mid(before), QStringList{QStringLiteral("SECUREPASSCHANGE=4321,1234;")});
}

TEST_F(UnreadTrackerTest, SaveFromAWindowNothingFilledAsksFirst)
{
    struct Case {
        const char *what;
        bool readAtConnection;
        bool loadFile;
        bool answerYes;
        bool asked;
        bool written;
    };
    const Case cases[] = {
        {"not read, declined", false, false, false, true, false},
        {"not read, accepted", false, false, true, true, true},
        {"not read, a file loaded", false, true, false, false, true},
        {"read at connection", true, false, false, false, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        home.reset();
        log.clear();
        prompts.questions.clear();
        prompts.answerYes = c.answerYes;
        Configurator fresh{log, prompts, {QStringLiteral(KVMT_TEST_BIN_DIR)}};
        fresh.settings().setChecked(F::cbReadSetup, !c.readAtConnection);
        home.plug(scenario(QStringLiteral("5001500"), QStringLiteral("KVMT-1.44"),
                           {QStringLiteral("[settings]"), QStringLiteral("GSMAPN=kept.apn")}));
        fresh.setExeDir(folder.path());
        fresh.monitor().devtimerTimer();
        ASSERT_TRUE(fresh.isConnected());
        if (c.loadFile)
            fresh.profileFile().load(writeAll(folder.filePath(QStringLiteral("f.atc")), "GSMAPN=from.file;\r\n"));

        fresh.btSaveClick();
        ASSERT_EQ(prompts.questions.size(), c.asked ? 1 : 0);
        if (c.asked) {
            // What would be written, key by key, blanks included.
            EXPECT_TRUE(prompts.questions[0].text.contains(QStringLiteral("GSMAPN=; ")));
            EXPECT_TRUE(prompts.questions[0].text.contains(QStringLiteral("SERVERPASS=; ")));
            EXPECT_TRUE(prompts.questions[0].text.contains(QStringLiteral("SETCP=0,0,0,0,0;")));
        }
        EXPECT_EQ(!sent().filter(QRegularExpression(QStringLiteral("^GSMAPN=[^?]"))).isEmpty(), c.written);
        if (!c.written) {
            EXPECT_EQ(log.lines().last().text, QStringLiteral("Запись отменена"));
        }
    }
}
