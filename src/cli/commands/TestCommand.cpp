#include "cli/commands/Commands.h"

#include "cli/CliSupport.h"

#include <QElapsedTimer>
#include <QThread>

namespace kvmt {

namespace {

std::optional<CommTest> testNamed(const QString &name)
{
    if (name == QLatin1String("smtp"))
        return CommTest::Smtp;
    if (name == QLatin1String("sms"))
        return CommTest::Sms;
    if (name == QLatin1String("server"))
        return CommTest::Server;
    return std::nullopt;
}

class TestCommand final : public CliCommand
{
public:
    int execute(const QStringList &options, const CliContext &context) override;
};

int TestCommand::execute(const QStringList &options, const CliContext &context)
{
    QTextStream &err = context.err;
    const std::optional<CommTest> test = options.isEmpty() ? std::nullopt : testNamed(options.first());
    if (!test) {
        err << "kvmtconf-cli test: name the test: smtp, sms or server" << Qt::endl;
        return ExitUsage;
    }
    PasswordSource password(context.terminal);
    qint64 timeLimitMs = 300 * 1000;
    unsigned long intervalMs = CommunicationTests::kPollIntervalMs;
    for (qsizetype i = 1; i < options.size(); ++i) {
        const Taken taken = takePasswordOption("test", options, i, password, err);
        if (taken == Taken::Bad)
            return ExitUsage;
        if (taken == Taken::Yes)
            continue;
        const QString &option = options[i];
        const bool hasValue = i + 1 < options.size();
        bool number = true;
        if (option == QLatin1String("--time-limit") && hasValue) {
            timeLimitMs = options[++i].toUInt(&number) * qint64(1000);
        } else if (option == QLatin1String("--interval") && hasValue) {
            intervalMs = options[++i].toUInt(&number);
        } else {
            number = false;
        }
        if (!number) {
            err << "kvmtconf-cli test: unknown option or bad value " << option << Qt::endl;
            return ExitUsage;
        }
    }

    CliSession session(err, password, context.libraryDirs);
    if (const int failed = takeUpTracker(session, err))
        return failed;
    // The test sends the settings it needs from what was read: a key left
    // unanswered would send the tracker a value it never held.
    if (!readComplete(session, err))
        return ExitUnanswered;

    // The window's poll timer, driven by hand: nothing else runs here, and a
    // tracker that never reports the end must not keep the tool for ever.
    CommunicationTests &tests = session.configurator.tests();
    QElapsedTimer clock;
    clock.start();
    tests.start(*test);
    // Stopped before the start command, it never began in the tracker.
    const bool started = tests.isPolling(*test);
    for (;;) {
        // In slices, so that an interrupt is taken up within one.
        QElapsedTimer slept;
        slept.start();
        while (slept.elapsed() < qint64(intervalMs) && !session.configurator.stop().requested())
            QThread::msleep(std::min<unsigned long>(intervalMs, 20));
        if (session.interrupted(err)) {
            // The protocol has no way to cancel a test: said, not hidden.
            if (started)
                err << "kvmtconf-cli test: the tracker may still be running its test; it ends it on its own" << Qt::endl;
            return ExitInterrupted;
        }
        tests.poll(*test);
        if (!tests.isPolling(*test))
            break;
        if (clock.elapsed() >= timeLimitMs) {
            tests.timer(*test).stop();
            err << "kvmtconf-cli: the tracker did not end the test within " << timeLimitMs / 1000 << " s"
                << Qt::endl;
            return ExitTimeLimit;
        }
    }
    switch (tests.verdict(*test)) {
    case CommunicationTests::Verdict::Passed:
        return ExitOk;
    case CommunicationTests::Verdict::Failed:
        return ExitTestFailed;
    case CommunicationTests::Verdict::None:
        break;
    }
    err << "kvmtconf-cli: the tracker ended the test without telling whether it passed" << Qt::endl;
    return ExitNoVerdict;
}

} // namespace

std::unique_ptr<CliCommand> makeTestCommand()
{
    return std::make_unique<TestCommand>();
}

} // namespace kvmt
