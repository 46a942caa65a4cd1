// Protects the command exchange with a tracker: buffers, failures, bounds.
#include "TrackerFixture.h"

#include <gtest/gtest.h>

using namespace kvmt;
using namespace kvmt::test;

namespace {

// Each reading of the time moves it on, as if every read took a while.
class SteppingClock final : public MonotonicClock
{
public:
    explicit SteppingClock(qint64 step)
        : m_step(step)
    {
    }
    qint64 nowMs() const override { return m_now += m_step; }

private:
    qint64 m_step;
    mutable qint64 m_now = 0;
};

} // namespace

using DeviceLinkTest = TrackerTest;

TEST_F(DeviceLinkTest, QueryGetsTheTrackersReplySplit)
{
    home.plug(scenario(QStringLiteral("5001777"), QStringLiteral("KVMT-1.40")));
    openFirst();
    link.sendCommand("NUMBER=?;");
    ASSERT_EQ(link.receiveReply(), 0);
    EXPECT_EQ(link.replyKey(), "NUMBER");
    EXPECT_EQ(link.replyValue(), "5001777");
    EXPECT_EQ(link.replyBuffer(), "NUMBER=5001777;");
    link.sendCommand("VERSION=?;");
    ASSERT_EQ(link.receiveReply(), 0);
    EXPECT_EQ(link.replyValue(), "KVMT-1.40");
    EXPECT_EQ(home.commands(QStringLiteral("5001777")), (QStringList{QStringLiteral("NUMBER=?;"), QStringLiteral("VERSION=?;")}));
}

TEST_F(DeviceLinkTest, MissingReplyEmptiesTheFieldsAndReportsMinusOneWhenNoTimePassed)
{
    home.plug(scenario(QStringLiteral("5001500"), QStringLiteral("KVMT-1.44"), {QStringLiteral("silent=GSMAPN")}));
    openFirst();
    link.sendCommand("NUMBER=?;");
    ASSERT_EQ(link.receiveReply(), 0);
    link.sendCommand("GSMAPN=?;");
    EXPECT_EQ(link.receiveReply(), -1);
    EXPECT_TRUE(link.replyKey().isEmpty());
    EXPECT_TRUE(link.replyValue().isEmpty());
    EXPECT_TRUE(link.replyBuffer().isEmpty());
}

TEST_F(DeviceLinkTest, MissingReplyReportsTheTimeItWaited)
{
    home.plug(scenario(QStringLiteral("5001500"), QStringLiteral("KVMT-1.44"), {QStringLiteral("silent=GSMAPN")}));
    openFirst();
    SteppingClock slow(7);
    DeviceLink timed(library, slow);
    QList<QByteArray> names;
    ASSERT_EQ(timed.listDevices(&names), 0);
    ASSERT_EQ(timed.openDevice(names.first()), 0);
    timed.sendCommand("GSMAPN=?;");
    EXPECT_EQ(timed.receiveReply(), 7);

    SteppingClock stalled(20000);
    DeviceLink late(library, stalled);
    ASSERT_EQ(late.openDevice(names.first()), 0);
    late.sendCommand("GSMAPN=?;");
    EXPECT_EQ(late.receiveReply(), -1);
}

TEST_F(DeviceLinkTest, RawReadKeepsThePreviousReplyWhenNothingArrives)
{
    home.plug(scenario(QStringLiteral("5001500"), QStringLiteral("KVMT-1.44"), {QStringLiteral("silent=GSMAPN")}));
    openFirst();
    link.sendCommand("NUMBER=?;");
    ASSERT_EQ(link.receiveRaw(), 0);
    EXPECT_EQ(link.rawReply(), "NUMBER=5001500;");
    EXPECT_TRUE(link.replyKey().isEmpty());
    link.sendCommand("GSMAPN=?;");
    EXPECT_NE(link.receiveRaw(), 0);
    EXPECT_EQ(link.rawReply(), "NUMBER=5001500;");
}

TEST_F(DeviceLinkTest, ExchangesWithoutALibraryFailHarmlessly)
{
    DeviceLibrary none({}, QStringLiteral("KVUSB_not_installed_anywhere"));
    DeviceLink idle(none, clock);
    idle.sendCommand("SMSTEST=1;");
    EXPECT_EQ(idle.receiveReply(), -1);
    EXPECT_NE(idle.receiveRaw(), 0);
    uint32_t count = 99;
    EXPECT_NE(idle.countDevices(&count), 0);
    EXPECT_EQ(count, 0u);
    EXPECT_NE(idle.openDevice("KVMT 5001500"), 0);
    idle.closeDevice();
}

TEST_F(DeviceLinkTest, LoadedLibraryWithoutAnOpenTrackerFailsHarmlessly)
{
    ASSERT_TRUE(library.load());
    link.sendCommand("NUMBER=?;");
    EXPECT_NE(link.receiveReply(), 0);
}

TEST_F(DeviceLinkTest, UnpluggedTrackerStopsAnswering)
{
    home.plug(scenario());
    openFirst();
    home.unplugAll();
    link.sendCommand("NUMBER=?;");
    EXPECT_NE(link.receiveReply(), 0);
    uint32_t count = 5;
    EXPECT_EQ(link.countDevices(&count), 0);
    EXPECT_EQ(count, 0u);
}

TEST_F(DeviceLinkTest, ListsTrackersInPlugOrder)
{
    home.plug(scenario(QStringLiteral("5001001")));
    home.plug(scenario(QStringLiteral("5001002")));
    ASSERT_TRUE(library.load());
    QList<QByteArray> names;
    ASSERT_EQ(link.listDevices(&names), 0);
    ASSERT_EQ(names.size(), 2);
    EXPECT_TRUE(names[0].contains("5001001"));
    EXPECT_TRUE(names[1].contains("5001002"));
}

// Whatever runs while an exchange is waited for (a timer, a button pressed
// by an accessibility tool) can neither take the link nor slip an exchange of
// its own between a command and its reply.
TEST_F(DeviceLinkTest, OneSequenceAndOneExchangeAtATime)
{
    home.plug(scenario());
    openFirst();
    bool claimedInside = true;
    int nestedResult = 0;
    link.setWaiter([&](const std::function<void()> &call) {
        claimedInside = link.claim().has_value();
        link.sendCommand("VERSION=?;");
        nestedResult = link.receiveReply();
        call();
    });
    link.sendCommand("NUMBER=?;");
    EXPECT_FALSE(claimedInside);
    EXPECT_NE(nestedResult, 0);
    link.setWaiter({});
    ASSERT_EQ(link.receiveReply(), 0);
    EXPECT_EQ(link.replyValue(), "5001500") << "the reply is the outer command's";
    EXPECT_EQ(home.commands(QStringLiteral("5001500")), QStringList{QStringLiteral("NUMBER=?;")});

    std::optional<DeviceLink::Claim> first = link.claim(true);
    ASSERT_TRUE(first);
    EXPECT_TRUE(link.isStoppableRunning());
    EXPECT_FALSE(link.claim()) << "a second sequence while the first runs";
    first.reset();
    EXPECT_FALSE(link.isClaimed());
    EXPECT_TRUE(link.claim()) << "free again once the first has ended";
}
