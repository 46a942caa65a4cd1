// Fault injection: every exchange of the connection, the read, the save and
// the three communication tests is, one at a time, answered by silence, by
// garbage, by "DEVLOCK;" or by the tracker being pulled out. Each sequence
// must run to its end, say exactly which keys went unanswered, claim no
// success it did not get, keep garbage within the key it arrived for, and
// leave the files it writes whole and correct or untouched.
//
// Each test first runs its sequence against a clean tracker and counts the
// exchanges in the tracker's trace; it then sweeps the fault over every one
// of them and the one just after.
#include "../settings/SequenceRig.h"
#include "ScriptedPrompts.h"
#include "TrackerFixture.h"

#include "device/ConnectionMonitor.h"
#include "device/DeviceLink.h"
#include "services/CommunicationTests.h"

#include <QDir>
#include <QFile>
#include <QMap>

#include <gtest/gtest.h>

#include <memory>

using namespace kvmt;
using namespace kvmt::test;

namespace {

const QString kSerial = QStringLiteral("5001500");
const QString kPassedLine = QStringLiteral("Тестирование успешно завершено");
const QString kPasswordOkLine = QStringLiteral("Пароль OK");
const QString kWrongPasswordLine = QStringLiteral("Неверный пароль. Доступ не возможен");
const QString kNoVerdictLine = QStringLiteral("Трекер не ответил на пароль. Настройки не считаны");

// Mute: silent from the fault on, a tracker that stops halfway but stays
// plugged.
enum class Kind { Silent, Garbage, Devlock, Unplug, Mute };
enum class Sequence { Connect, ConnectProtected, Read, Save, SmtpTest, SmsTest, ServerTest };

const char *kindName(Kind kind)
{
    switch (kind) {
    case Kind::Silent:
        return "silent";
    case Kind::Garbage:
        return "garbage";
    case Kind::Devlock:
        return "devlock";
    case Kind::Unplug:
        return "unplug";
    case Kind::Mute:
        return "mute";
    }
    return "";
}

const char *sequenceName(Sequence sequence)
{
    switch (sequence) {
    case Sequence::Connect:
        return "Connect";
    case Sequence::ConnectProtected:
        return "ConnectProtected";
    case Sequence::Read:
        return "Read";
    case Sequence::Save:
        return "Save";
    case Sequence::SmtpTest:
        return "SmtpTest";
    case Sequence::SmsTest:
        return "SmsTest";
    case Sequence::ServerTest:
        return "ServerTest";
    }
    return "";
}

std::optional<CommTest> commTest(Sequence sequence)
{
    switch (sequence) {
    case Sequence::SmtpTest:
        return CommTest::Smtp;
    case Sequence::SmsTest:
        return CommTest::Sms;
    case Sequence::ServerTest:
        return CommTest::Server;
    default:
        return std::nullopt;
    }
}

// One exchange as the tracker's trace witnessed it.
struct Exchange {
    QByteArray command;
    std::optional<QByteArray> reply;
};

QByteArray untrace(const QByteArray &text)
{
    QByteArray bytes;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x') {
            bytes.append(char(text.mid(i + 2, 2).toInt(nullptr, 16)));
            i += 3;
        } else {
            bytes.append(text[i]);
        }
    }
    return bytes;
}

QList<Exchange> traceOf(const QString &home)
{
    QFile file(QDir(home).filePath(QStringLiteral("trace/%1.log").arg(kSerial)));
    QList<Exchange> exchanges;
    if (!file.open(QIODevice::ReadOnly))
        return exchanges;
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.startsWith("> "))
            exchanges.append({untrace(line.mid(2)), std::nullopt});
        else if (line.startsWith("< ") && !exchanges.isEmpty())
            exchanges.last().reply = untrace(line.mid(2));
    }
    return exchanges;
}

QByteArray keyOf(const QByteArray &command)
{
    const qsizetype eq = command.indexOf('=');
    return eq < 0 ? command : command.left(eq);
}

// The red line a command leaves when it gets no answer, and whether the
// sequence goes on after it.
struct Unanswered {
    std::optional<QString> line;
    bool stops = false;
};

Unanswered whenUnanswered(Sequence sequence, const QByteArray &command)
{
    const QByteArray key = keyOf(command);
    if (key == "SECURESETUP")
        return {std::nullopt, true}; // identification ends there, quietly
    if (key == "SECUREOFFTMP")
        return {kNoVerdictLine, true};
    if (commTest(sequence))
        return {}; // the tests' settings, start and polls never log a failure
    if (command == "ACCLEN=?;")
        return {}; // an unanswered ACCLEN query says nothing
    return {QString::fromLatin1(key) + QStringLiteral(" error"), false};
}

// The field a communication test's setting row writes.
const char *fieldOfRow(const QByteArray &key)
{
    static const QMap<QByteArray, const char *> fields = {
        {"GSMPIN", "edPinCode"},         {"GSMAPNUSER", "edAPNLogin"},    {"GSMAPN", "edAPN"},
        {"GSMAPNPASS", "edAPNPass"},     {"SMTPSERVER", "edSMTPServer"},  {"SMTPPORT", "edSMTPPort"},
        {"SMTPLOGIN", "edSMTPLogin"},    {"SMTPPASS", "edSMTPPass"},      {"SMTPFROM", "edSMTPFrom"},
        {"SMTPTO1", "edSMTPTo1"},        {"SMTPTO2", "edSMTPTo2"},        {"SMTPTO3", "edSMTPTo3"},
        {"SMTPTO4", "edSMTPTo4"},        {"SMSNUMBER1", "edSMSNumber1"},  {"SMSNUMBER2", "edSMSNumber2"},
        {"SMSNUMBER3", "edSMSNumber3"},  {"SMSGATE", "edSMSGate"},        {"SERVER", "edServerIP"},
        {"SERVERPORT", "edServerPort"},  {"SERVERPASS", "edServerPass"},
    };
    return fields.value(key, "");
}

// Every member's value by name: text, check, selection and list. Shown and
// enabled states are left out: rules derive them from several keys at once,
// so a key that went unanswered may leave a mix that no single run shows.
// The tracker's clock is left out too, since it runs on between two runs.
QMap<QString, QString> stateOf(const DeviceSettings &settings)
{
    QMap<QString, QString> state;
    for (const QString &line : snapshot(settings)) {
        const QString name = line.section(u' ', 0, 0);
        if (name != QLatin1String("edTimeSync"))
            state.insert(name, line.section(u' ', 0, -3));
    }
    return state;
}

QStringList differing(const QMap<QString, QString> &a, const QMap<QString, QString> &b)
{
    QStringList names;
    for (auto it = a.cbegin(); it != a.cend(); ++it)
        if (b.value(it.key()) != it.value())
            names.append(it.key());
    return names;
}

QByteArray fileBytes(const QString &path)
{
    return readAll(path, QByteArrayLiteral("<absent>"));
}

// Answers the keys it was given and nothing else: how one reply alone moves
// the members.
class OneReplyChannel final : public CommandChannel
{
public:
    QMap<QByteArray, QByteArray> replies;

    void sendCommand(const QByteArray &command) override { m_last = keyOf(command); }
    int receiveReply() override
    {
        m_key.clear();
        m_value.clear();
        if (!replies.contains(m_last))
            return -1;
        SplitReply split = splitReply(replies.value(m_last));
        m_key = split.key;
        m_value = split.value;
        return 0;
    }
    const QByteArray &replyKey() const override { return m_key; }
    const QByteArray &replyValue() const override { return m_value; }
    void setReplyValue(const QByteArray &value) override { m_value = value; }

private:
    QByteArray m_last;
    QByteArray m_key;
    QByteArray m_value;
};

// Everything the window would hold, over one link to the tracker home.
struct Rig {
    Rig(DeviceLibrary &library, const MonotonicClock &clock)
        : link(library, clock)
    {
        ConnectionMonitor::Hooks hooks;
        hooks.readSettings = [this] { reader.readSettings(false); };
        monitor.setHooks(hooks);
        writer.setExeDir(exeDir.path());
        prompts.password = QByteArrayLiteral("1234");
    }

    // Identity as the monitor leaves it for this tracker, without exchanges,
    // so that a read starts from a model that can be rebuilt elsewhere.
    static void identify(DeviceSettings &settings, TrackerIdentity &identity)
    {
        identity.serialNumber = 5001500;
        identity.firmwareVersion = 144;
        identity.accelerometerPresent = 1;
        settings.setText(F::pSerial, kSerial);
        settings.setText(F::pVersion, QStringLiteral("KVMT-1.44"));
    }

    DeviceLink link;
    DeviceSettings settings;
    RecordingEventLog log;
    ScriptedPrompts prompts;
    TrackerIdentity identity;
    LinkFlags flags;
    SettingsBuffer buffer;
    KeyTable keys{settings, identity, log, fixedClock};
    ReadSequence reader{link, buffer, keys, settings, identity, log};
    WriteSequence writer{link, buffer, keys, settings, flags, log};
    ConnectionMonitor monitor{link, settings, log, prompts, identity, flags};
    CommunicationTests tests{link, settings, log};
    QTemporaryDir exeDir;

    QString autoCopy() const { return exeDir.filePath(kSerial + QStringLiteral(".atc")); }
    QString passwordList() const { return exeDir.filePath(QStringLiteral("ATG/") + kSerial + QStringLiteral(".atg")); }
    QStringList errors() const { return errorLines(log); }
    int linesWith(const QString &text) const
    {
        int n = 0;
        for (const LogLine &line : log.lines())
            n += line.text == text ? 1 : 0;
        return n;
    }
};

const QByteArray kOldPasswordList = QByteArrayLiteral("Korvel database 1.3\r\n1 records\r\n5001500:\tPASSWORD=older;");

// Values the user typed before saving or testing: each differs from what the
// tracker holds, so a write that did not land shows.
void typeUserValues(DeviceSettings &settings)
{
    settings.setText(F::edAPN, QStringLiteral("apn.fault.test"));
    settings.setText(F::edServerPass, QStringLiteral("newpass1"));
    settings.setText(F::edServerIP, QStringLiteral("srv.fault.test"));
    settings.setText(F::edSMTPServer, QStringLiteral("mail.fault.test"));
    settings.setText(F::edSMTPTo2, QStringLiteral("second@fault.test"));
    settings.setText(F::edSMSNumber2, QStringLiteral("+79990000002"));
    settings.setText(F::edDevName, QStringLiteral("FAULTY"));
}

using Param = std::tuple<Sequence, Kind>;

class FaultInjection : public TrackerTest, public ::testing::WithParamInterface<Param>
{
protected:
    Sequence sequence() const { return std::get<0>(GetParam()); }
    Kind kind() const { return std::get<1>(GetParam()); }
    // Nothing answers from the fault on.
    bool answersEnd() const { return kind() == Kind::Unplug || kind() == Kind::Mute; }
    QStringList faultKeys(qsizetype at) const
    {
        if (kind() == Kind::Mute)
            return {QStringLiteral("fault_at=%1").arg(at), QStringLiteral("fault=silent"),
                    QStringLiteral("fault_count=100000")};
        return {QStringLiteral("fault_at=%1").arg(at), QStringLiteral("fault=%1").arg(QLatin1String(kindName(kind())))};
    }

    void plugWith(const QStringList &extra)
    {
        home.reset();
        QStringList lines = extra;
        if (sequence() == Sequence::ConnectProtected)
            lines.append(QStringLiteral("protected=1"));
        home.plug(scenario(kSerial, QStringLiteral("KVMT-1.44"), lines));
    }

    // Everything before the sequence under test; clean in every run, since
    // the fault lies beyond it.
    void prepare(Rig &rig)
    {
        switch (sequence()) {
        case Sequence::Connect:
        case Sequence::ConnectProtected:
            return;
        case Sequence::Read: {
            ASSERT_TRUE(library.load());
            QList<QByteArray> names;
            ASSERT_EQ(rig.link.listDevices(&names), 0);
            ASSERT_FALSE(names.isEmpty());
            ASSERT_EQ(rig.link.openDevice(names.first()), 0);
            Rig::identify(rig.settings, rig.identity);
            rig.flags = LinkFlag::Connected | LinkFlag::Present;
            return;
        }
        default:
            rig.monitor.devtimerTimer();
            ASSERT_TRUE(rig.flags.testFlag(LinkFlag::Connected));
            typeUserValues(rig.settings);
            QDir().mkpath(QFileInfo(rig.passwordList()).absolutePath());
            QFile old(rig.passwordList());
            ASSERT_TRUE(old.open(QIODevice::WriteOnly));
            old.write(kOldPasswordList);
        }
    }

    int pollBudget = 0;

    void run(Rig &rig)
    {
        rig.log.clear();
        switch (sequence()) {
        case Sequence::Connect:
        case Sequence::ConnectProtected:
            rig.monitor.devtimerTimer();
            return;
        case Sequence::Read:
            rig.reader.readSettings(false);
            return;
        case Sequence::Save:
            rig.writer.btSaveClick(rig.reader);
            return;
        default: {
            const CommTest test = *commTest(sequence());
            rig.tests.start(test);
            // Bounded: a tracker that vanished leaves the timer polling, as
            // designed, and every tick then fails at once.
            for (int tick = 0; tick < pollBudget && rig.tests.isPolling(test); ++tick)
                rig.tests.poll(test);
        }
        }
    }

    // The clean run: its exchanges from the start of the sequence, and the
    // state it leaves.
    struct Clean {
        qsizetype offset = 0;
        QList<Exchange> exchanges;
        QMap<QString, QString> after;
        QByteArray autoCopy;
        QByteArray passwordList;
        QStringList log;
        CommunicationTests::Verdict verdict{};
        bool errorFree = false;
        qsizetype identifyCount = 0; // exchanges before the read's first
        qsizetype writeCount = 0;    // exchanges of a save before its read-back
        qsizetype savePosition = 0;  // of SAVECONFIG
        qsizetype startPosition = 0; // of a communication test's start
        QByteArray passedReply;      // the poll answer that tells a pass
    };

    Clean cleanRun()
    {
        Clean clean;
        plugWith({});
        Rig rig(library, clock);
        prepare(rig);
        clean.offset = traceOf(home.path()).size();
        pollBudget = 50;
        run(rig);
        clean.exchanges = traceOf(home.path()).mid(clean.offset);
        clean.after = stateOf(rig.settings);
        clean.autoCopy = fileBytes(rig.autoCopy());
        clean.passwordList = fileBytes(rig.passwordList());
        for (const LogLine &line : rig.log.lines())
            clean.log.append(line.text);
        if (const auto test = commTest(sequence()))
            clean.verdict = rig.tests.verdict(*test);
        clean.errorFree = rig.errors().isEmpty();
        clean.identifyCount = clean.exchanges.size();
        for (qsizetype i = clean.exchanges.size() - 1; i >= 0; --i) {
            const Exchange &e = clean.exchanges[i];
            if (e.command == "ACCLEN=?;")
                clean.identifyCount = i;
            if (e.command == "SAVECONFIG=1;")
                clean.savePosition = i + 1;
            if (e.command.endsWith("TEST=1;"))
                clean.startPosition = i + 1;
            for (const char *pass : {"=TEST_SMTP:OK;", "=TEST_SMS:OK;", "=SRV_CON:OK;"})
                if (e.reply && e.reply->endsWith(pass))
                    clean.passedReply = *e.reply;
        }
        clean.writeCount = clean.identifyCount;
        return clean;
    }

    // How one reply moves the members when it is the only answer of a read
    // that starts where the sweep's reads start.
    static QStringList footprint(const QByteArray &key, const QByteArray &reply)
    {
        DeviceSettings settings;
        TrackerIdentity identity;
        RecordingEventLog log;
        Rig::identify(settings, identity);
        const QMap<QString, QString> fresh = stateOf(settings);
        OneReplyChannel channel;
        // What a read of DeviceLink's capacity brings of it.
        channel.replies.insert(key, reply.left(DeviceLink::kReadCapacity));
        KeyTable keys{settings, identity, log, fixedClock};
        SettingsBuffer buffer;
        ReadSequence reader{channel, buffer, keys, settings, identity, log};
        reader.readSettings(false);
        return differing(stateOf(settings), fresh);
    }

    static bool trackerUnlocked(Rig &rig)
    {
        rig.link.sendCommand("DEVNAME=?;");
        return rig.link.receiveReply() == 0 && rig.link.replyKey() != "DEVLOCK;";
    }
};

} // namespace

TEST_P(FaultInjection, EveryExchangeFailsSoundly)
{
    const Clean clean = cleanRun();
    const qsizetype count = clean.exchanges.size();
    ASSERT_GT(count, 0);
    ASSERT_TRUE(clean.errorFree) << clean.log.join(u'\n').toStdString();

    // The positions swept: all of the sequence's exchanges and the one just
    // after; for a connection, the identification and the read's first.
    qsizetype last = count + 1;
    if (sequence() == Sequence::Connect || sequence() == Sequence::ConnectProtected)
        last = clean.identifyCount + 1;
    else if (sequence() == Sequence::Save)
        last = clean.writeCount + 1;
    qsizetype polls = 0;
    for (const Exchange &e : clean.exchanges)
        polls += e.command.endsWith("=?;") ? 1 : 0;

    // The sweep is only as good as the clean run it counts: a firmware 1.44
    // tracker with an accelerometer has every key open.
    switch (sequence()) {
    case Sequence::Connect:
        EXPECT_EQ(clean.identifyCount, 3);
        break;
    case Sequence::ConnectProtected:
        EXPECT_EQ(clean.identifyCount, 4);
        break;
    case Sequence::Read:
        EXPECT_EQ(count, 53);
        break;
    case Sequence::Save:
        EXPECT_EQ(clean.writeCount, 53) << "52 keys and SAVECONFIG";
        EXPECT_EQ(clean.savePosition, 53);
        break;
    case Sequence::SmtpTest:
        EXPECT_EQ(clean.startPosition, 14);
        break;
    case Sequence::SmsTest:
        EXPECT_EQ(clean.startPosition, 6);
        break;
    case Sequence::ServerTest:
        EXPECT_EQ(clean.startPosition, 8);
        break;
    }
    if (commTest(sequence())) {
        EXPECT_EQ(clean.verdict, CommunicationTests::Verdict::Passed);
        EXPECT_FALSE(clean.passedReply.isEmpty());
    }
    RecordProperty("positions", int(last));

    for (qsizetype k = 1; k <= last; ++k) {
        const QByteArray command = k <= count ? clean.exchanges[k - 1].command : QByteArray();
        const QByteArray key = keyOf(command);
        SCOPED_TRACE(QStringLiteral("%1 at exchange %2 (%3)")
                         .arg(QLatin1String(kindName(kind())))
                         .arg(k)
                         .arg(QString::fromLatin1(command))
                         .toStdString());
        plugWith(faultKeys(clean.offset + k));
        Rig rig(library, clock);
        prepare(rig);
        ASSERT_EQ(traceOf(home.path()).size(), clean.offset) << "the preparation itself must stay clean";
        const QMap<QString, QString> before = stateOf(rig.settings);
        pollBudget = int(polls) + 5;
        run(rig);
        const QList<Exchange> trace = traceOf(home.path()).mid(clean.offset);
        const QStringList errors = rig.errors();

        // Red lines: exactly one per unanswered key where the design pins it.
        const bool withinIdentification = k <= clean.identifyCount || (sequence() != Sequence::Connect
                                                                       && sequence() != Sequence::ConnectProtected);
        // Without a firmware version the read takes the tracker's time for
        // an old firmware's and refuses it: one more line, by design.
        const QString timeRefused = QStringLiteral("SETTIME error");
        if (kind() == Kind::Silent && k <= count) {
            const Unanswered u = whenUnanswered(sequence(), command);
            QStringList expected = u.line ? QStringList{*u.line} : QStringList();
            if (key == "VERSION")
                expected.append(timeRefused);
            EXPECT_EQ(errors, expected);
        } else if (answersEnd() && k <= count && withinIdentification) {
            QStringList expected;
            for (qsizetype i = k - 1; i < count; ++i) {
                const Unanswered u = whenUnanswered(sequence(), clean.exchanges[i].command);
                if (u.line)
                    expected.append(*u.line);
                if (u.stops)
                    break;
            }
            EXPECT_EQ(errors, expected);
        } else if (kind() == Kind::Garbage || kind() == Kind::Devlock) {
            QStringList allowed;
            if (const std::optional<QString> line = whenUnanswered(sequence(), command).line)
                allowed.append(*line);
            if (key == "NUMBER")
                allowed.append(QStringLiteral("NUMBER = 0"));
            if (key == "VERSION")
                allowed.append(timeRefused);
            // A refused query is no unanswered one; the read says so once
            // at its end. A protected tracker whose SECURESETUP answer was
            // no number counts as open, and refuses the whole read.
            if (kind() == Kind::Devlock) {
                allowed.append(QStringLiteral("Трекер заблокирован паролем: не считано настроек: 1"));
                // A refused set is a key not taken, said once at the write's end.
                allowed.append(QStringLiteral("Трекер заблокирован паролем: не записано настроек: 1"));
            }
            const QString lockedRead = QStringLiteral("Трекер заблокирован паролем: не считано настроек: ");
            const bool lockedReadAllowed = key == "SECURESETUP" && sequence() == Sequence::ConnectProtected;
            for (const QString &line : errors)
                EXPECT_TRUE(allowed.contains(line) || (lockedReadAllowed && line.startsWith(lockedRead)))
                    << "unexpected red line " << line.toStdString();
            EXPECT_LE(errors.size(), key == "VERSION" ? 2 : 1);
        } else if (k > count) {
            EXPECT_EQ(errors, QStringList());
        }

        // No success that did not happen.
        if (sequence() == Sequence::Connect || sequence() == Sequence::ConnectProtected) {
            EXPECT_EQ(rig.linesWith(kWrongPasswordLine), 0) << "the password given was right";
            EXPECT_EQ(rig.prompts.closeRequests, 0);
            if (rig.linesWith(kPasswordOkLine) > 0 && !answersEnd()) {
                EXPECT_TRUE(trackerUnlocked(rig)) << "\"Password OK\" for a tracker that is still locked";
            }
        }
        if (const auto test = commTest(sequence())) {
            const bool told = std::any_of(trace.cbegin(), trace.cend(), [&](const Exchange &e) {
                return e.reply && e.reply->endsWith(":OK;") && clean.passedReply == *e.reply;
            });
            const CommunicationTests::Verdict verdict = rig.tests.verdict(*test);
            EXPECT_EQ(rig.linesWith(kPassedLine), verdict == CommunicationTests::Verdict::Passed ? 1 : 0);
            if (verdict == CommunicationTests::Verdict::Passed) {
                EXPECT_TRUE(told) << "a pass the tracker never reported";
            }
            EXPECT_EQ(errors, QStringList());
            if (!answersEnd() && k != clean.startPosition) {
                EXPECT_EQ(verdict, clean.verdict) << "the tracker repeats the stage a faulted poll missed";
            }
            if (!answersEnd()) {
                EXPECT_FALSE(rig.tests.isPolling(*test)) << "the test must end";
            }
        }

        // Garbage stays within the key it came for; nothing else moves.
        const QMap<QString, QString> after = stateOf(rig.settings);
        if (sequence() == Sequence::Read) {
            const QStringList own = kind() == Kind::Garbage && k <= count && trace.size() >= k && trace[k - 1].reply
                                        ? footprint(key, *trace[k - 1].reply)
                                        : QStringList();
            for (const QString &name : differing(after, clean.after)) {
                if (after.value(name) != before.value(name)) {
                    EXPECT_TRUE(own.contains(name)) << "member " << name.toStdString() << " changed: "
                                                    << after.value(name).toStdString();
                }
            }
        }
        if (commTest(sequence())) {
            for (const QString &name : differing(after, clean.after)) {
                // The faulted setting's own field may show a garbled echo.
                const bool own = kind() == Kind::Garbage && name.compare(QString::fromLatin1(fieldOfRow(key)), Qt::CaseInsensitive) == 0;
                const bool button = name == QLatin1String("btTestSMS");
                if (!own && !button)
                    ADD_FAILURE() << "member " << name.toStdString() << " changed: " << after.value(name).toStdString();
            }
        }
        if (sequence() == Sequence::Save && !answersEnd() && k <= clean.writeCount) {
            // After a save the window shows what the tracker holds.
            rig.reader.readSettings(false);
            EXPECT_EQ(differing(stateOf(rig.settings), after), QStringList());
        }

        // Files: whole and correct, or untouched.
        if (sequence() == Sequence::Save) {
            EXPECT_EQ(fileBytes(rig.autoCopy()), clean.autoCopy) << "the copy records what was attempted";
            // A locked tracker's "DEVLOCK;" stores nothing, as silence does.
            const bool saveAnswered = !(key == "SAVECONFIG" && (kind() == Kind::Silent || kind() == Kind::Devlock))
                                      && !(answersEnd() && k <= clean.savePosition);
            const QByteArray list = fileBytes(rig.passwordList());
            if (!saveAnswered) {
                EXPECT_EQ(list, kOldPasswordList) << "no acknowledgement of SAVECONFIG: the list is left alone";
            } else if (key == "SERVERPASS" && kind() == Kind::Garbage) {
                // The member took the garbled echo; the list is still whole.
                EXPECT_TRUE(list.startsWith("Korvel database 1.3\r\n1 records\r\n5001500:\tPASSWORD=") && list.endsWith(';'));
            } else {
                EXPECT_EQ(list, clean.passwordList);
            }
        }

        // A tracker that vanished is let go at the next monitor run.
        if (kind() == Kind::Unplug && k <= count) {
            rig.monitor.devtimerTimer();
            EXPECT_FALSE(rig.flags.testFlag(LinkFlag::Connected));
            EXPECT_EQ(rig.settings.text(F::pSerial), QStringLiteral("---------"));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, FaultInjection,
    ::testing::Combine(::testing::Values(Sequence::Connect, Sequence::ConnectProtected, Sequence::Read, Sequence::Save,
                                         Sequence::SmtpTest, Sequence::SmsTest, Sequence::ServerTest),
                       ::testing::Values(Kind::Silent, Kind::Garbage, Kind::Devlock, Kind::Unplug, Kind::Mute)),
    [](const ::testing::TestParamInfo<Param> &info) {
        return std::string(sequenceName(std::get<0>(info.param))) + "_" + kindName(std::get<1>(info.param));
    });

namespace {

class GarbledIdentity : public TrackerTest
{
};

} // namespace

// A garbled serial number names the files of the next save: whatever bytes
// it holds, both files land whole inside the program's folder; none without
// a serial at all.
TEST_F(GarbledIdentity, SaveAfterAGarbledSerialWritesInsideTheProgramFolder)
{
    // Three runs put each of the garbage shapes on the NUMBER query: the
    // first, second or third exchange since plug, after as many spent on
    // a harmless query.
    for (int spent = 0; spent < 3; ++spent) {
        SCOPED_TRACE(spent);
        home.reset();
        home.plug(scenario(kSerial, QStringLiteral("KVMT-1.44"),
                           {QStringLiteral("fault_at=%1").arg(spent + 1), QStringLiteral("fault=garbage")}));
        Rig rig(library, clock);
        ASSERT_TRUE(library.load());
        for (int i = 0; i < spent; ++i) {
            QList<QByteArray> names;
            ASSERT_EQ(rig.link.listDevices(&names), 0);
            ASSERT_EQ(rig.link.openDevice(names.first()), 0);
            rig.link.sendCommand("ADCINFO=?;");
            rig.link.receiveReply();
        }
        rig.monitor.devtimerTimer();
        ASSERT_TRUE(rig.flags.testFlag(LinkFlag::Connected));
        rig.writer.btSaveClick(rig.reader);

        QStringList written;
        for (const QFileInfo &info : QDir(rig.exeDir.path()).entryInfoList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot))
            written.append(info.fileName());
        for (const QFileInfo &info : QDir(rig.exeDir.filePath(QStringLiteral("ATG")))
                                         .entryInfoList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot))
            written.append(QStringLiteral("ATG/") + info.fileName());
        // Garbage that is no reply, or an empty one, leaves no serial: nothing is filed
        // under the placeholder, where every such tracker's files would meet.
        const QString serial = rig.settings.text(F::pSerial);
        if (!isGivenSerial(serial)) {
            EXPECT_TRUE(written.isEmpty()) << written.join(u' ').toStdString();
            continue;
        }
        ASSERT_EQ(written.size(), 2) << written.join(u' ').toStdString();
        const QString stem = serialFileStem(rig.settings.text(F::pSerial));
        EXPECT_TRUE(written.contains(stem + QStringLiteral(".atc"))) << written.join(u' ').toStdString();
        EXPECT_TRUE(written.contains(QStringLiteral("ATG/") + stem + QStringLiteral(".atg")));
        const QByteArray copy = fileBytes(rig.exeDir.filePath(stem + QStringLiteral(".atc")));
        EXPECT_TRUE(copy.endsWith("CHANGEPROFILE=5;\r\n")) << "the copy is whole";
        // A serial that is no number closes the SSL switch's gate.
        const int keys = rig.identity.serialUnsigned() >= 5001500 ? 52 : 51;
        EXPECT_EQ(copy.count("\r\n"), 2 + keys) << "NUMBER, VERSION and every open key, one line each";
    }
}
