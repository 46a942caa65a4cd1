// Protects the tracker's debug log: which port the search takes, the
// reader's polls and reads, and that no way of stopping it can leave it
// reading a closed port.
#include "shell/CDC_LOG.h"
#include "shell/CdcLog.h"
#include "shell/LogPortSearch.h"
#include "shell/LogTextDecoder.h"

#include "QtPrinters.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QMutex>
#include <QMutexLocker>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#if !defined(Q_OS_WIN)
#include <fcntl.h>
#include <unistd.h>
#endif

using namespace kvmt;

namespace {

// A port the test feeds; it remembers how it was read and closed. Reads
// and feeds come from different threads.
class FakePort final : public QIODevice
{
public:
    struct Record {
        std::atomic<int> reads{0};
        std::atomic<qint64> largestRead{0};
        std::atomic<int> touchedAfterClose{0};
        std::atomic<bool> closed{false};
        std::atomic<bool> destroyed{false};
    };

    explicit FakePort(std::shared_ptr<Record> record)
        : m_record(std::move(record))
    {
        open(QIODevice::ReadWrite | QIODevice::Unbuffered);
    }
    ~FakePort() override { m_record->destroyed = true; }

    void feed(const QByteArray &bytes)
    {
        const QMutexLocker lock(&m_mutex);
        m_pending += bytes;
    }
    qint64 bytesAvailable() const override
    {
        if (m_record->closed)
            ++m_record->touchedAfterClose;
        const QMutexLocker lock(&m_mutex);
        return m_pending.size();
    }
    void close() override
    {
        m_record->closed = true;
        QIODevice::close();
    }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        if (m_record->closed)
            ++m_record->touchedAfterClose;
        ++m_record->reads;
        m_record->largestRead = std::max(m_record->largestRead.load(), maxSize);
        const QMutexLocker lock(&m_mutex);
        const qint64 n = std::min<qint64>(maxSize, m_pending.size());
        std::memcpy(data, m_pending.constData(), size_t(n));
        m_pending.remove(0, n);
        return n;
    }
    qint64 writeData(const char *, qint64 size) override { return size; }

private:
    std::shared_ptr<Record> m_record;
    mutable QMutex m_mutex;
    QByteArray m_pending;
};

// Runs the event loop until `done` holds; the reader polls every few
// milliseconds, so this is quick unless the reader is broken.
template<typename Done>
bool waitFor(Done done)
{
    QDeadlineTimer deadline(5000);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return done();
}

const QList<SerialPortEntry> kTrackerPort{{QStringLiteral("KV USB CDC (COM7)"), QStringLiteral("COM7")}};

class CdcLogTest : public ::testing::Test
{
protected:
    CdcLogTest()
    {
        cdcLog.setPollInterval(2);
        cdcLog.setPortOpener([this](const QString &location) -> std::unique_ptr<QIODevice> {
            opened.append(location);
            if (refuseOpen)
                return nullptr;
            records.push_back(std::make_shared<FakePort::Record>());
            auto port = std::make_unique<FakePort>(records.back());
            current = port.get();
            return port;
        });
        QObject::connect(&cdcLog, &CdcLog::textReceived, [this](const QString &t) { text += t; });
    }

    LinkFlags flags;
    CdcLog cdcLog{flags};
    QStringList opened;
    bool refuseOpen = false;
    std::vector<std::shared_ptr<FakePort::Record>> records;
    FakePort *current = nullptr;
    QString text;
};

} // namespace

TEST(LogPortSearch, OnlyTheExactNameBeforeTheLastParenthesisMatches)
{
    EXPECT_EQ(findLogPort(kTrackerPort), QStringLiteral("COM7"));
    for (const char *other : {"KV USB CDC 2 (COM8)", "kv usb cdc (COM9)", "(COM5)", "KV USB CDC", "KV USB CDC ()",
                              "KV USB CDC  (COM7)", "KV USB CDC(COM7)", ""}) {
        EXPECT_EQ(findLogPort({{QString::fromLatin1(other), QStringLiteral("x")}}), std::nullopt) << other;
    }
    EXPECT_EQ(parseFriendlyName(QStringLiteral("(COM5)"))->name, QString());
    EXPECT_EQ(parseFriendlyName(QStringLiteral("(COM5)"))->port, QStringLiteral("COM5"));
    const auto nested = parseFriendlyName(QStringLiteral("USB (Serial) Port (ttyUSB0)"));
    ASSERT_TRUE(nested);
    EXPECT_EQ(nested->name, QStringLiteral("USB (Serial) Port"));
    EXPECT_EQ(nested->port, QStringLiteral("ttyUSB0"));
    EXPECT_EQ(friendlyName(QStringLiteral("KV USB CDC"), QStringLiteral("/dev/pts/4")),
              QStringLiteral("KV USB CDC (/dev/pts/4)"));

    // Two trackers: the first in the listing order wins.
    const QList<SerialPortEntry> two{{QStringLiteral("Modem (ttyS0)"), QStringLiteral("/dev/ttyS0")},
                                     {QStringLiteral("KV USB CDC (ttyACM1)"), QStringLiteral("/dev/ttyACM1")},
                                     {QStringLiteral("KV USB CDC (ttyACM0)"), QStringLiteral("/dev/ttyACM0")}};
    EXPECT_EQ(findLogPort(two), QStringLiteral("/dev/ttyACM1"));
}

TEST(LogPortSearch, VirtualTrackersAnnounceTheirPortsInPlugOrder)
{
    QTemporaryDir home;
    QDir(home.path()).mkpath(QStringLiteral("ports"));
    const auto announce = [&](const char *file, const QByteArray &text) {
        QFile f(QDir(home.path()).filePath(QStringLiteral("ports/") + QString::fromLatin1(file)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    };
    announce("0002-5001501", "[port]\nname=KV USB CDC\npath=/dev/pts/9\nserial=5001501\n");
    announce("0001-5001500", "[port]\nname=KV USB CDC\npath=/dev/pts/3\nserial=5001500\n");
    announce("0003-broken", "[port]\nname=KV USB CDC\n");
    const QList<SerialPortEntry> ports = announcedLogPorts(home.path());
    ASSERT_EQ(ports.size(), 2);
    EXPECT_EQ(ports[0].friendlyName, QStringLiteral("KV USB CDC (/dev/pts/3)"));
    EXPECT_EQ(ports[0].location, QStringLiteral("/dev/pts/3"));
    EXPECT_EQ(findLogPort(ports), QStringLiteral("/dev/pts/3"));
    EXPECT_TRUE(announcedLogPorts(QDir(home.path()).filePath(QStringLiteral("none"))).isEmpty());
}

TEST(LogText, LineEndsBecomeOneBreakEvenAcrossReads)
{
    LogTextDecoder decoder;
    EXPECT_EQ(decoder.decode("USB: NUMBER=?; -> NUMBER=1;\r"), QStringLiteral("USB: NUMBER=?; -> NUMBER=1;\n"));
    EXPECT_EQ(decoder.decode("\nTEST: x\r\n"), QStringLiteral("TEST: x\n"));
    EXPECT_EQ(decoder.decode("a\nb\rc"), QStringLiteral("a\nb\nc"));
    EXPECT_EQ(decoder.decode(QByteArrayView("\xcf\xf0\0\xe8", 4)), QStringLiteral("При"));
}

TEST_F(CdcLogTest, OpensTheFoundPortOnceAndReadsWhileShown)
{
    EXPECT_FALSE(cdcLog.open({{QStringLiteral("Modem (COM1)"), QStringLiteral("COM1")}}));
    EXPECT_FALSE(flags.testFlag(LinkFlag::LogPortFound));
    EXPECT_TRUE(opened.isEmpty());

    ASSERT_TRUE(cdcLog.open(kTrackerPort));
    EXPECT_EQ(opened, QStringList{QStringLiteral("COM7")});
    EXPECT_TRUE(flags.testFlag(LinkFlag::LogPortFound));
    EXPECT_TRUE(flags.testFlag(LinkFlag::LogPortOpen));
    // Pressing the button again while the log is open does nothing.
    EXPECT_FALSE(cdcLog.open(kTrackerPort));
    EXPECT_EQ(opened.size(), 1);

    cdcLog.windowShown();
    ASSERT_TRUE(cdcLog.isReading());
    current->feed("USB: NUMBER=?; -> NUMBER=5001500;\r\nFLA");
    current->feed("SH: settings saved\r\n");
    EXPECT_TRUE(waitFor([&] { return text.endsWith(u"saved\n"); })) << text.toStdString();
    EXPECT_EQ(text, QStringLiteral("USB: NUMBER=?; -> NUMBER=5001500;\nFLASH: settings saved\n"));
    cdcLog.stop();
}

TEST_F(CdcLogTest, ReadsAtMostOneHundredBytesAPoll)
{
    ASSERT_TRUE(cdcLog.open(kTrackerPort));
    cdcLog.windowShown();
    current->feed(QByteArray(250, 'x'));
    ASSERT_TRUE(waitFor([&] { return text.size() == 250; }));
    EXPECT_EQ(records[0]->largestRead, CDC_LOG::kReadSize);
    EXPECT_GE(records[0]->reads, 3);
    cdcLog.stop();
}

TEST_F(CdcLogTest, StoppingClosesThePortOnlyAfterTheReaderEnded)
{
    ASSERT_TRUE(cdcLog.open(kTrackerPort));
    cdcLog.windowShown();
    current->feed("abc");
    ASSERT_TRUE(waitFor([&] { return records[0]->reads > 3; }));
    cdcLog.stop();
    // When stop() returns, the reader is gone and the port closed and freed.
    EXPECT_FALSE(cdcLog.isReading());
    EXPECT_TRUE(records[0]->closed);
    EXPECT_TRUE(records[0]->destroyed);
    EXPECT_EQ(records[0]->touchedAfterClose, 0);
    EXPECT_FALSE(flags.testFlag(LinkFlag::LogPortOpen));
    EXPECT_TRUE(flags.testFlag(LinkFlag::LogPortFound)) << "the search's outcome stays";
}

TEST_F(CdcLogTest, ReopeningStartsAFreshReaderWithoutTheOldText)
{
    ASSERT_TRUE(cdcLog.open(kTrackerPort));
    cdcLog.windowShown();
    current->feed("old");
    ASSERT_TRUE(waitFor([&] { return text == u"old"; }));
    current->feed("late");
    cdcLog.stop();
    // Whatever the stopped reader had read and queued is never shown.
    text.clear();
    QCoreApplication::processEvents();
    EXPECT_TRUE(text.isEmpty());

    ASSERT_TRUE(cdcLog.open(kTrackerPort));
    cdcLog.windowShown();
    EXPECT_EQ(cdcLog.readersStarted(), 2);
    current->feed("new");
    ASSERT_TRUE(waitFor([&] { return text == u"new"; })) << text.toStdString();
    cdcLog.stop();
    EXPECT_EQ(records.size(), 2u);
}

TEST_F(CdcLogTest, APortThatCannotBeOpenedLeavesTheLogClosed)
{
    refuseOpen = true;
    EXPECT_FALSE(cdcLog.open(kTrackerPort));
    EXPECT_TRUE(flags.testFlag(LinkFlag::LogPortFound));
    EXPECT_FALSE(flags.testFlag(LinkFlag::LogPortOpen));
    cdcLog.windowShown();
    EXPECT_FALSE(cdcLog.isReading());
    // The port opened but the window never shown: stopping still closes it.
    refuseOpen = false;
    ASSERT_TRUE(cdcLog.open(kTrackerPort));
    cdcLog.stop();
    EXPECT_TRUE(records[0]->closed);
    EXPECT_FALSE(flags.testFlag(LinkFlag::LogPortOpen));
}

// The real serial-port path over a pseudo-terminal, as a virtual tracker
// provides one (Windows has none).
#if !defined(Q_OS_WIN)
TEST(CdcLogPort, ReadsWhatThePseudoTerminalCarries)
{
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0)
        GTEST_SKIP() << "no pseudo-terminals here";
    const QString path = QString::fromLocal8Bit(::ptsname(master));

    LinkFlags flags;
    CdcLog cdcLog(flags);
    cdcLog.setPollInterval(2);
    QString text;
    QObject::connect(&cdcLog, &CdcLog::textReceived, [&](const QString &t) { text += t; });
    // Said while nobody listened: a USB port would not keep it, nor do we.
    ASSERT_EQ(::write(master, "stale\r\n", 7), 7);
    ASSERT_TRUE(cdcLog.open({{friendlyName(QString::fromUtf16(kLogPortName), path), path}}));
    cdcLog.windowShown();
    const QByteArray line = "TEST: SMSTEST started\r\n";
    ASSERT_EQ(::write(master, line.constData(), size_t(line.size())), line.size());
    EXPECT_TRUE(waitFor([&] { return text == u"TEST: SMSTEST started\n"; })) << text.toStdString();
    cdcLog.stop();
    // The port is free again at once: a new log opens it.
    EXPECT_TRUE(cdcLog.open({{friendlyName(QString::fromUtf16(kLogPortName), path), path}}));
    cdcLog.stop();
    ::close(master);
}
#endif
