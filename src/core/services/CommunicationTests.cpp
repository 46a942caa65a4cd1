#include "services/CommunicationTests.h"

#include "settings/SequenceStop.h"

#include "device/DeviceLink.h"
#include "log/EventLog.h"
#include "settings/DeviceSettings.h"
#include "text/Cp1251.h"

#include <QCoreApplication>

#include <span>

namespace kvmt {

namespace {

// Limits of a poll answer; nothing the tracker sends comes near them.
constexpr qsizetype kSeparatorSpan = 127;
constexpr qsizetype kTextLimit = 128;
constexpr qsizetype kWordLimit = 64;

// One setting the test needs. The confirmation is logged when the tracker's
// echo, put back into the field, reads back byte for byte as the echo. The
// confirmations are fixed English texts that service staff search for.
struct SettingRow {
    const char *key;
    Field field;
    const char *confirmation;
};

constexpr SettingRow kSmtpRows[] = {
    {"GSMPIN", F::edPinCode, "Pin Ok"},
    {"GSMAPNUSER", F::edAPNLogin, "APN Login Ok"},
    {"GSMAPN", F::edAPN, "APN Ok"},
    {"GSMAPNPASS", F::edAPNPass, "APN Pass Ok"},
    {"SMTPSERVER", F::edSMTPServer, "SMTP Server Ok"},
    {"SMTPPORT", F::edSMTPPort, "SMTP Port Ok"},
    {"SMTPLOGIN", F::edSMTPLogin, "SMTP Login Ok"},
    {"SMTPPASS", F::edSMTPPass, "SMTP Pass Ok"},
    {"SMTPFROM", F::edSMTPFrom, "SMTP From Ok"},
    {"SMTPTO1", F::edSMTPTo1, "SMTP To Ok 1"},
    {"SMTPTO2", F::edSMTPTo2, "SMTP To Ok 2"},
    {"SMTPTO3", F::edSMTPTo3, "SMTP To Ok 3"},
    {"SMTPTO4", F::edSMTPTo4, "SMTP To Ok 4"},
};

constexpr SettingRow kSmsRows[] = {
    {"GSMPIN", F::edPinCode, "Pin Ok"},
    {"SMSNUMBER1", F::edSMSNumber1, "SMS Number 1 Ok"},
    {"SMSNUMBER2", F::edSMSNumber2, "SMS Number 2 Ok"},
    {"SMSNUMBER3", F::edSMSNumber3, "SMS Number 3 Ok"},
    {"SMSGATE", F::edSMSGate, "SMS GATE Ok"},
};

constexpr SettingRow kServerRows[] = {
    {"GSMPIN", F::edPinCode, "Pin Ok"},
    {"GSMAPNUSER", F::edAPNLogin, "APN Login Ok"},
    {"GSMAPN", F::edAPN, "APN Ok"},
    {"GSMAPNPASS", F::edAPNPass, "APN Pass Ok"},
    {"SERVER", F::edServerIP, "IP Server Ok"},
    {"SERVERPORT", F::edServerPort, "Server Port Ok"},
    {"SERVERPASS", F::edServerPass, "Server Pass Ok"},
};

struct TestSpec {
    Field button;
    std::span<const SettingRow> rows;
    const char *key;        // of the start command and the poll
    const char *finalStage; // the stage that carries the verdict
    int stageKind;          // colour of the stage lines
    bool holdsButton;       // the button stays disabled until "ENDED"
};

const TestSpec &spec(CommTest test)
{
    static const TestSpec specs[] = {
        {F::btTestSMTP, kSmtpRows, "SMTPTEST", "TEST_SMTP", LogSuccess, false},
        {F::btTestSMS, kSmsRows, "SMSTEST", "TEST_SMS", LogPlain, true},
        {F::btSrvTest, kServerRows, "SRVTEST", "SRV_CON", LogSuccess, false},
    };
    return specs[size_t(test)];
}

// Replies that are not an echo of the setting: taking their value would put
// "GSMAPN" or nothing at all into the person's field.
bool isRefusal(const QByteArray &replyKey)
{
    return replyKey == "DEVLOCK;" || replyKey == "NO_CMD" || replyKey.startsWith("WRONG");
}

QByteArrayView untilNul(QByteArrayView text)
{
    const qsizetype nul = text.indexOf('\0');
    return nul < 0 ? text : text.first(nul);
}

} // namespace

std::optional<PollReply> splitPollReply(QByteArrayView raw)
{
    raw = untilNul(raw);
    const qsizetype equals = raw.first(qMin(raw.size(), kSeparatorSpan)).indexOf('=');
    if (equals < 0)
        return std::nullopt;
    const QByteArrayView rest = raw.sliced(equals + 1);
    if (rest.size() >= kTextLimit)
        return std::nullopt;
    const qsizetype colon = rest.first(qMin(rest.size(), kSeparatorSpan)).indexOf(':');
    if (colon < 0 || colon >= kWordLimit)
        return std::nullopt;
    // The result runs to the end of the reply, less its closing ';'.
    const QByteArrayView tail = rest.sliced(colon + 1);
    const QByteArrayView result = tail.isEmpty() ? tail : tail.chopped(1);
    if (result.size() >= kWordLimit)
        return std::nullopt;
    return PollReply{raw.first(equals).toByteArray(), rest.first(colon).toByteArray(), result.toByteArray()};
}

CommunicationTests::CommunicationTests(DeviceLink &link, DeviceSettings &settings, EventLog &log, QObject *parent)
    : QObject(parent)
    , m_link(link)
    , m_settings(settings)
    , m_log(log)
{
    for (const CommTest test : {CommTest::Smtp, CommTest::Sms, CommTest::Server}) {
        QTimer &t = timer(test);
        t.setInterval(kPollIntervalMs);
        connect(&t, &QTimer::timeout, this, [this, test] { poll(test); });
    }
}

bool CommunicationTests::start(CommTest test)
{
    // Its settings phase looks at the stop request between its exchanges.
    const std::optional<DeviceLink::Claim> claim = m_link.claim(true);
    if (!claim)
        return false;
    const TestSpec &s = spec(test);
    if (s.holdsButton)
        m_settings.setEnabled(s.button, false);
    m_verdicts[size_t(test)] = Verdict::None;

    // No row stops the sequence and none logs an error: the test itself
    // tells whether the tracker can use what it holds.
    for (const SettingRow &row : s.rows) {
        if (stopRequested(test, false))
            return true;
        m_link.sendCommand(QByteArray(row.key) + '=' + toCp1251(m_settings.text(row.field)) + ';');
        if (m_link.receiveReply() != 0 || isRefusal(m_link.replyKey()))
            continue;
        // The tracker may have shortened the value; the field shows what it
        // really holds.
        const QByteArray echo = m_link.replyValue();
        m_settings.setText(row.field, fromCp1251(echo));
        if (toCp1251(m_settings.text(row.field)) == echo)
            m_log.logEvent(QString::fromLatin1(row.confirmation), LogSuccess);
    }

    if (stopRequested(test, false))
        return true;
    m_link.sendCommand(QByteArray(s.key) + "=1;");
    // The answer to the start tells nothing; the polls do.
    m_link.receiveRaw();
    timer(test).start();
    emit pollingChanged();
    return true;
}

bool CommunicationTests::stopRequested(CommTest test, bool started)
{
    if (!m_stop || !m_stop->requested())
        return false;
    // Said once per test: a timer already stopped has told it.
    if (!started || timer(test).isActive()) {
        // The protocol has no command that ends a test: a started one runs
        // on in the tracker, which may still send its e-mail or SMS.
        m_log.logEvent(started ? QCoreApplication::translate("kvmt::CommunicationTests",
                                                             "Тестирование остановлено: трекер может завершить тест сам")
                               : QCoreApplication::translate("kvmt::CommunicationTests",
                                                             "Тестирование остановлено: тест не запущен"),
                       LogError);
    }
    timer(test).stop();
    if (spec(test).holdsButton)
        m_settings.setEnabled(spec(test).button, true);
    emit pollingChanged();
    return true;
}

void CommunicationTests::takeStop()
{
    for (const CommTest test : {CommTest::Smtp, CommTest::Sms, CommTest::Server}) {
        if (isPolling(test))
            stopRequested(test, true);
    }
}

void CommunicationTests::poll(CommTest test)
{
    if (stopRequested(test, true))
        return;
    // A tick while another sequence holds the link (inside its wait, or a
    // box it opened): the next tick asks instead.
    const std::optional<DeviceLink::Claim> claim = m_link.claim();
    if (!claim)
        return;
    const TestSpec &s = spec(test);
    m_link.sendCommand(QByteArray(s.key) + "=?;");
    if (m_link.receiveRaw() != 0)
        return;
    // An answer outside the protocol is passed over like a missing one.
    const std::optional<PollReply> reply = splitPollReply(m_link.rawReply());
    if (!reply)
        return;

    const bool stageChanged = reply->stage != m_lastTestStatus;
    if (stageChanged)
        m_log.logEvent(fromCp1251(untilNul(m_link.rawReply()).toByteArray()), s.stageKind);
    m_lastTestStatus = reply->stage;

    // A verdict is told once, in the tick that first shows its stage.
    const bool finalStage = reply->stage == s.finalStage;
    std::optional<Verdict> verdict;
    if (finalStage && reply->result == "OK")
        verdict = Verdict::Passed;
    else if ((finalStage && reply->result.startsWith("BAD")) || reply->result == "BAD")
        verdict = Verdict::Failed;
    if (verdict && stageChanged) {
        m_verdicts[size_t(test)] = *verdict;
        if (*verdict == Verdict::Passed)
            m_log.logEvent(QCoreApplication::translate("kvmt::CommunicationTests", "Тестирование успешно завершено"),
                           LogSuccess);
        else
            m_log.logEvent(QCoreApplication::translate("kvmt::CommunicationTests", "Ошибка при тестировании"),
                           LogError);
    }

    // "ENDED" ends the test whatever its result: an "ENDED:BAD" must not
    // keep the timer polling, and the SMS button disabled, for ever.
    if (reply->stage == "ENDED") {
        if (s.holdsButton)
            m_settings.setEnabled(s.button, true);
        timer(test).stop();
        emit pollingChanged();
    }
}

} // namespace kvmt
