// Protects the device library's C contract: listing, handles that outlive
// re-opening, unplugging under an open handle, and never writing past a
// caller's buffer.
#include "TrackerTestSupport.h"

#include <array>
#include <chrono>
#include <cstring>

using namespace kvtracker::test;

namespace {

class DeviceLibrary : public ::testing::Test
{
protected:
    TrackerHome home;
};

std::vector<std::string> listedNames()
{
    uint32_t count = 0;
    EXPECT_EQ(RW_GetListDevices(KVUSB_FLAGS, nullptr, &count), 0);
    std::string list(count * KVUSB_LIST_ENTRY_SIZE, '\0');
    EXPECT_EQ(RW_GetListDevices(KVUSB_FLAGS, list.data(), &count), 0);
    std::vector<std::string> names;
    for (uint32_t i = 0; i < count; ++i)
        names.emplace_back(list.data() + i * KVUSB_LIST_ENTRY_SIZE + KVUSB_LIST_NAME_OFFSET);
    return names;
}

} // namespace

TEST_F(DeviceLibrary, FreshMachineHasTheDefaultTracker)
{
    EXPECT_EQ(listedNames(), std::vector<std::string>{"KVMT 5001500"});
    RW_HANDLE h = openFirst();
    EXPECT_EQ(ask(h, "VERSION=?;"), "VERSION=KVMT-1.44;");
    EXPECT_EQ(ask(h, "#ACCLEN=?;"), "NO_CMD");
    EXPECT_EQ(ask(h, "ACCLEN=?;"), "#ACCLEN=1,1;");
    EXPECT_EQ(ask(h, "SECURESETUP=?;"), "SECURESETUP=0;");
}

TEST_F(DeviceLibrary, EmptyAttachedFolderMeansNothingPlugged)
{
    home.unplugAll();
    EXPECT_TRUE(listedNames().empty());
    RW_HANDLE h = nullptr;
    EXPECT_NE(RW_OpenDevice(KVUSB_FLAGS, "KVMT 5001500", &h), 0);
}

TEST_F(DeviceLibrary, ListsInPlugOrderAndFillsOnlyTheEntriesAskedFor)
{
    home.plug("0002-7.ini", scenario("serial=7"));
    home.plug("0001-5001600.ini", scenario("serial=5001600"));
    home.plug("0010-123456789012345678.ini", scenario("serial=123456789012345678"));
    EXPECT_EQ(listedNames(), (std::vector<std::string>{"KVMT 5001600", "KVMT 7", "KVMT 1234567890123456"}));

    std::array<unsigned char, KVUSB_LIST_ENTRY_SIZE + 8> buffer;
    buffer.fill(0xAB);
    uint32_t count = 1;
    ASSERT_EQ(RW_GetListDevices(KVUSB_FLAGS, buffer.data(), &count), 0);
    EXPECT_EQ(count, 1u);
    EXPECT_STREQ(reinterpret_cast<char *>(buffer.data() + KVUSB_LIST_NAME_OFFSET), "KVMT 5001600");
    for (std::size_t i = KVUSB_LIST_ENTRY_SIZE; i < buffer.size(); ++i)
        EXPECT_EQ(buffer[i], 0xAB) << "byte " << i << " written past the entries asked for";
}

TEST_F(DeviceLibrary, NameOfTwentyOneCharactersStillEndsWithNul)
{
    home.plug("0001-long.ini", scenario("serial=1234567890123456789"));
    std::array<char, KVUSB_LIST_ENTRY_SIZE> entry;
    uint32_t count = 1;
    ASSERT_EQ(RW_GetListDevices(KVUSB_FLAGS, entry.data(), &count), 0);
    EXPECT_EQ(entry[KVUSB_LIST_ENTRY_SIZE - 1], '\0');
    EXPECT_EQ(std::strlen(entry.data() + KVUSB_LIST_NAME_OFFSET), 21u);
}

TEST_F(DeviceLibrary, RejectsNullArgumentsWithoutTouchingAnything)
{
    EXPECT_NE(RW_GetListDevices(KVUSB_FLAGS, nullptr, nullptr), 0);
    RW_HANDLE h = nullptr;
    EXPECT_NE(RW_OpenDevice(KVUSB_FLAGS, nullptr, &h), 0);
    EXPECT_NE(RW_OpenDevice(KVUSB_FLAGS, "KVMT 5001500", nullptr), 0);
    EXPECT_NE(RW_CloseDevice(nullptr), 0);
    h = openFirst();
    uint32_t n = 77;
    char byte = 0;
    EXPECT_NE(RW_ReadNotTimeOut(h, nullptr, 10, &n), 0);
    EXPECT_EQ(n, 0u);
    EXPECT_NE(RW_ReadNotTimeOut(h, &byte, 0, &n), 0);
    EXPECT_NE(RW_Write(h, nullptr, 5, &n), 0);
    EXPECT_NE(RW_Read(h, &byte, 1, nullptr), 0);
    // A bogus handle is looked up, never dereferenced.
    RW_HANDLE bogus = reinterpret_cast<RW_HANDLE>(static_cast<uintptr_t>(0x12345));
    EXPECT_NE(RW_Write(bogus, "NUMBER=?;", 9, &n), 0);
    EXPECT_NE(RW_ReadNotTimeOut(bogus, &byte, 1, &n), 0);
    EXPECT_NE(RW_SetTimeouts(bogus, 1, 1), 0);
    EXPECT_NE(RW_Purge(bogus), 0);
}

TEST_F(DeviceLibrary, ReplyLongerThanTheBufferIsCutAtCapacity)
{
    RW_HANDLE h = openFirst();
    const std::string longTemplate(96, 'x');
    uint32_t n = 0;
    ASSERT_EQ(RW_Write(h, ("MAPTEMPLATE1=" + longTemplate + ";").data(), 110, &n), 0);
    EXPECT_EQ(n, 110u);
    std::array<char, 32> buffer;
    buffer.fill('#');
    EXPECT_NE(RW_ReadNotTimeOut(h, buffer.data(), 16, &n), 0) << "a cut reply is not plain success";
    EXPECT_EQ(n, 16u);
    EXPECT_EQ(std::string(buffer.data(), 16), "MAPTEMPLATE1=xxx");
    for (std::size_t i = 16; i < buffer.size(); ++i)
        EXPECT_EQ(buffer[i], '#');
    // One read, one reply: the rest of the cut reply does not leak into the
    // next exchange.
    EXPECT_EQ(ask(h, "NUMBER=?;"), "NUMBER=5001500;");
}

TEST_F(DeviceLibrary, StreamReadKeepsTheRestForTheNextRead)
{
    RW_HANDLE h = openFirst();
    uint32_t n = 0;
    RW_Write(h, "NUMBER=?;", 9, &n);
    char part[8];
    ASSERT_EQ(RW_Read(h, part, 8, &n), 0);
    EXPECT_EQ(std::string(part, n), "NUMBER=5");
    ASSERT_EQ(RW_Read(h, part, 8, &n), 0);
    EXPECT_EQ(std::string(part, n), "001500;");
}

TEST_F(DeviceLibrary, StateBelongsToTheTrackerNotToTheHandle)
{
    RW_HANDLE first = openFirst();
    EXPECT_EQ(ask(first, "GSMAPN=internet.test;"), "GSMAPN=internet.test;");
    // The configurator re-opens at every monitor run and never closes the
    // old handle; both keep working on the same tracker.
    RW_HANDLE second = openFirst();
    EXPECT_NE(first, second);
    EXPECT_EQ(ask(second, "GSMAPN=?;"), "GSMAPN=internet.test;");
    EXPECT_EQ(ask(first, "NUMBER=?;"), "NUMBER=5001500;");
}

TEST_F(DeviceLibrary, CloseClearsTheHandleAndASecondCloseFails)
{
    RW_HANDLE h = openFirst();
    RW_HANDLE copy = h;
    EXPECT_EQ(RW_CloseDevice(&h), 0);
    EXPECT_EQ(h, nullptr);
    EXPECT_NE(RW_CloseDevice(&copy), 0);
    uint32_t n = 1;
    EXPECT_NE(RW_Write(copy, "NUMBER=?;", 9, &n), 0);
    EXPECT_EQ(n, 0u);
}

TEST_F(DeviceLibrary, UnplugFailsOldHandlesAndReplugForgetsUnsavedSettings)
{
    home.plug("0001-5001500.ini", scenario("serial=5001500"));
    RW_HANDLE h = openFirst();
    EXPECT_EQ(ask(h, "DEVNAME=Truck12;"), "DEVNAME=Truck12;");
    uint32_t n = 0;
    RW_Write(h, "NUMBER=?;", 9, &n); // a reply waiting when the cable is pulled
    home.unplug("0001-5001500.ini");

    char buffer[64];
    n = 99;
    EXPECT_NE(RW_ReadNotTimeOut(h, buffer, sizeof buffer, &n), 0);
    EXPECT_EQ(n, 0u);
    EXPECT_NE(RW_Write(h, "NUMBER=?;", 9, &n), 0);
    EXPECT_EQ(n, 0u);

    home.plug("0002-5001500.ini", scenario("serial=5001500"));
    EXPECT_NE(RW_Write(h, "NUMBER=?;", 9, &n), 0) << "an old handle must not reach the new instance";
    RW_HANDLE fresh = openFirst();
    EXPECT_EQ(ask(fresh, "DEVNAME=?;"), "DEVNAME=KVMT;");
}

TEST_F(DeviceLibrary, SilentTrackerReportsNothingAtOnce)
{
    home.plug("0001-1.ini", scenario("serial=5001500\nsilent=GSMAPN"));
    RW_HANDLE h = openFirst();
    RW_SetTimeouts(h, 5000, 5000);
    uint32_t n = 0;
    RW_Write(h, "GSMAPN=?;", 9, &n);
    char buffer[64];
    const auto start = std::chrono::steady_clock::now();
    EXPECT_NE(RW_ReadNotTimeOut(h, buffer, sizeof buffer, &n), 0);
    EXPECT_EQ(n, 0u);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
}

TEST_F(DeviceLibrary, LatencyBeyondTheTimeOutDeliversTheReplyLate)
{
    home.plug("0001-1.ini", scenario("serial=5001500\nlatency_ms=150"));
    RW_HANDLE h = openFirst();
    RW_SetTimeouts(h, 20, 20);
    EXPECT_EQ(ask(h, "NUMBER=?;"), std::nullopt);
    RW_SetTimeouts(h, 1000, 1000);
    // The late reply is what the next read brings, as on a real cable.
    EXPECT_EQ(ask(h, "VERSION=?;"), "NUMBER=5001500;");
    EXPECT_EQ(RW_Purge(h), 0);
    EXPECT_EQ(ask(h, "VERSION=?;"), "VERSION=KVMT-1.44;");
}

TEST_F(DeviceLibrary, AnUnansweredCommandCostsTheReadTimeOutAndAFaultNothing)
{
    using Clock = std::chrono::steady_clock;
    const auto waited = [](RW_HANDLE h, const char *command) {
        const Clock::time_point start = Clock::now();
        EXPECT_EQ(ask(h, command), std::nullopt) << command;
        return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    };
    home.plug("0001-1.ini", scenario("silence_waits=1\nsilent=SMSGATE\nfault=silent\nfault_at=1"));
    RW_HANDLE h = openFirst();
    RW_SetTimeouts(h, 120, 120);
    EXPECT_LT(waited(h, "SMSGATE=?;"), 120) << "an injected fault";
    EXPECT_GE(waited(h, "SMSGATE=?;"), 120) << "a silent key, as the maker's library waits";
    EXPECT_EQ(ask(h, "DEVNAME=?;"), "DEVNAME=KVMT;") << "the wait leaves nothing behind";
}

TEST_F(DeviceLibrary, SwitchingHomeUnplugsEverythingOfTheOldOne)
{
    RW_HANDLE h = openFirst();
    EXPECT_EQ(ask(h, "DEVNAME=Old;"), "DEVNAME=Old;");
    TrackerHome other;
    uint32_t n = 0;
    EXPECT_NE(RW_Write(h, "NUMBER=?;", 9, &n), 0);
    RW_HANDLE fresh = openFirst();
    EXPECT_EQ(ask(fresh, "DEVNAME=?;"), "DEVNAME=KVMT;");
}
