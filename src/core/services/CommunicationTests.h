#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QObject>
#include <QTimer>

#include <array>
#include <optional>

namespace kvmt {

class DeviceLink;
class DeviceSettings;
class EventLog;
class SequenceStop;

// The tracker's own checks of its channels: a test e-mail, a test SMS, a
// connection to the tracking server.
enum class CommTest { Smtp, Sms, Server };

// One answer to a test poll, "KEY=STAGE:RESULT;".
struct PollReply {
    QByteArray key;
    QByteArray stage;
    QByteArray result; // without the closing character of the reply
};

// Splits a poll answer within fixed limits: the key and the text after '='
// each under 128 bytes, stage and result each under 64, and each separator
// within the first 127 bytes of the text searched for it. The reply ends at
// its first NUL. Anything else is not a poll answer: nullopt.
std::optional<PollReply> splitPollReply(QByteArrayView raw);

// Starts the three tests and follows them. A start writes the settings the
// test needs, exactly as the window holds them, and the start command; a
// poll timer per test then asks the tracker once a second how the test
// goes, logging each new stage and the verdict, until the tracker reports
// "ENDED". The tracker does the test; we only report what it says.
class CommunicationTests : public QObject
{
    Q_OBJECT

public:
    static constexpr int kPollIntervalMs = 1000;

    // What the last start of a test has seen so far.
    enum class Verdict { None, Passed, Failed };

    CommunicationTests(DeviceLink &link, DeviceSettings &settings, EventLog &log, QObject *parent = nullptr);

    bool btTestSMTPClick() { return start(CommTest::Smtp); }
    bool btTestSMSClick() { return start(CommTest::Sms); }
    bool btSrvTestClick() { return start(CommTest::Server); }
    // Poll ticks; the timers call them, tests may call them directly.
    void Timer2Timer() { poll(CommTest::Smtp); }
    void Timer3Timer() { poll(CommTest::Sms); }
    void Timer4Timer() { poll(CommTest::Server); }

    // Refused (false, nothing sent) while another sequence holds the link.
    bool start(CommTest test);
    void poll(CommTest test);
    // A test's settings phase and polling end after the exchange in progress
    // once this is requested; a test stopped before its start command is
    // never started. Either way one line says so.
    void setStop(const SequenceStop *stop) { m_stop = stop; }
    // Ends now, as their next tick would, the tests polling while a stop is
    // requested: for whoever is about to clear the request.
    void takeStop();

    bool isPolling(CommTest test) const { return timer(test).isActive(); }
    QTimer &timer(CommTest test) { return m_timers[size_t(test)]; }
    const QTimer &timer(CommTest test) const { return m_timers[size_t(test)]; }
    // The stage word of the last poll answer of any test. Shared by the
    // three tests and never cleared: a stage one test saw is the previous
    // stage for the next poll of any test.
    const QByteArray &lastTestStatus() const { return m_lastTestStatus; }
    Verdict verdict(CommTest test) const { return m_verdicts[size_t(test)]; }
    bool isAnyPolling() const
    {
        return isPolling(CommTest::Smtp) || isPolling(CommTest::Sms) || isPolling(CommTest::Server);
    }

signals:
    // A test started or stopped polling: the window offers Stop meanwhile.
    void pollingChanged();

private:
    DeviceLink &m_link;
    DeviceSettings &m_settings;
    EventLog &m_log;
    std::array<QTimer, 3> m_timers;
    std::array<Verdict, 3> m_verdicts{};
    QByteArray m_lastTestStatus;
    const SequenceStop *m_stop = nullptr;

    // `started`: asked by a poll, of a test the tracker runs.
    bool stopRequested(CommTest test, bool started);
};

} // namespace kvmt
