// Protects what the person learns when the tracker's debug port exists but
// this user may not open it: told once per run, with the port and the way
// to get access, and nothing said for the failures nobody can fix here.
#include "shell/CdcLog.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "QtPrinters.h"

using namespace kvmt;

namespace {

const QList<SerialPortEntry> kTrackerPort{{QStringLiteral("KV USB CDC (ttyACM0)"), QStringLiteral("/dev/ttyACM0")}};

// A port that opens: a buffer stands in for the serial device.
class OpenBuffer : public QIODevice
{
public:
    OpenBuffer() { QIODevice::open(QIODevice::ReadWrite); }

protected:
    qint64 readData(char *, qint64) override { return 0; }
    qint64 writeData(const char *, qint64 size) override { return size; }
};

class LogPortPermission : public ::testing::Test
{
protected:
    LogPortPermission()
    {
        cdcLog.setPortOpener([this](const QString &) -> OpenedPort {
            ++attempts;
            if (error == PortOpenError::None)
                return OpenedPort(std::make_unique<OpenBuffer>());
            return error;
        });
        QObject::connect(&cdcLog, &CdcLog::accessDenied, [this](const QString &m) { messages.append(m); });
    }

    LinkFlags flags;
    CdcLog cdcLog{flags};
    PortOpenError error = PortOpenError::PermissionDenied;
    int attempts = 0;
    QStringList messages;
};

} // namespace

TEST_F(LogPortPermission, RefusalIsToldOnceHoweverOftenTheButtonIsPressed)
{
    for (int press = 0; press < 3; ++press)
        EXPECT_FALSE(cdcLog.open(kTrackerPort)) << press;
    EXPECT_EQ(attempts, 3) << "every press still tries the port";
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages.front().contains(QStringLiteral("/dev/ttyACM0"))) << messages.front().toStdString();
    EXPECT_FALSE(flags.testFlag(LinkFlag::LogPortOpen));
    EXPECT_TRUE(flags.testFlag(LinkFlag::LogPortFound));

    // Access granted meanwhile (new group, rule applied): the log opens and
    // nothing more is said.
    error = PortOpenError::None;
    EXPECT_TRUE(cdcLog.open(kTrackerPort));
    EXPECT_TRUE(flags.testFlag(LinkFlag::LogPortOpen));
    EXPECT_EQ(messages.size(), 1);
    cdcLog.stop();
}

TEST_F(LogPortPermission, OtherFailuresAndAMissingPortSayNothing)
{
    error = PortOpenError::Other; // busy, vanished, not a serial device
    EXPECT_FALSE(cdcLog.open(kTrackerPort));
    EXPECT_FALSE(cdcLog.open({{QStringLiteral("Other device (ttyS0)"), QStringLiteral("/dev/ttyS0")}}));
    EXPECT_EQ(attempts, 1) << "no matching port, no attempt";
    EXPECT_TRUE(messages.isEmpty());

    // An opener that hands back a device without a reason means "other".
    cdcLog.setPortOpener([](const QString &) -> std::unique_ptr<QIODevice> { return nullptr; });
    EXPECT_FALSE(cdcLog.open(kTrackerPort));
    EXPECT_TRUE(messages.isEmpty());

    // A later refusal for lack of permission is still told.
    cdcLog.setPortOpener([](const QString &) -> OpenedPort { return PortOpenError::PermissionDenied; });
    EXPECT_FALSE(cdcLog.open(kTrackerPort));
    EXPECT_EQ(messages.size(), 1);
}

#if defined(Q_OS_WIN)
TEST(PermissionMessage, OnWindowsSaysAnotherProgramHoldsThePort)
{
    // Every user may open a COM port there: no group, no udev rule.
    const QString text = CdcLog::permissionMessage(QStringLiteral("COM7"), QString());
    EXPECT_TRUE(text.contains(QStringLiteral("COM7"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("занят другой программой"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("udev")) || text.contains(QStringLiteral("sudo"))) << text.toStdString();
    EXPECT_FALSE(text.contains(u'%')) << "every placeholder filled: " << text.toStdString();
}
#else
struct GroupCase {
    const char *group;
    const char *named;
};

class PermissionMessage : public ::testing::TestWithParam<GroupCase>
{
};

TEST_P(PermissionMessage, NamesThePortTheGroupToJoinAndTheRule)
{
    const QString port = QStringLiteral("/dev/ttyACM3");
    const QString text = CdcLog::permissionMessage(port, QString::fromLatin1(GetParam().group));
    const QString group = QString::fromLatin1(GetParam().named);
    EXPECT_TRUE(text.contains(port)) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("группу ") + group)) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("sudo adduser $USER ") + group)) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("70-kvmtconf.rules"))) << text.toStdString();
    EXPECT_FALSE(text.contains(u'%')) << "every placeholder filled: " << text.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Groups, PermissionMessage,
                         ::testing::Values(GroupCase{"dialout", "dialout"}, GroupCase{"uucp", "uucp"},
                                           GroupCase{"", "dialout"}, GroupCase{"root", "dialout"}),
                         [](const auto &info) { return std::string(*info.param.group ? info.param.group : "unknown"); });
#endif

TEST(LogPortOpener, APortThatIsNoDeviceIsNoPermissionProblem)
{
    // The real opener on paths that fail for other reasons than rights.
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("ttyNone"));
    const OpenedPort opened = CdcLog::openSerialPort(missing);
    EXPECT_EQ(opened.device, nullptr);
    EXPECT_EQ(opened.error, PortOpenError::Other);
}
