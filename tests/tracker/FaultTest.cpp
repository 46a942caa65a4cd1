// Protects the scenario faults that the configurator's fault-injection suite
// relies on: the exchange they hit, what each kind answers, and an unplug
// that every handle and every listing sees at once.
#include "TrackerTestSupport.h"

#include <chrono>
#include <filesystem>

using namespace kvtracker::test;

namespace {

struct FaultCase {
    const char *kind;
    // What exchanges 2 and 3 bring when the fault covers them.
    bool answers;
};

class FaultKinds : public ::testing::TestWithParam<FaultCase>
{
protected:
    TrackerHome home;
};

// Raw read of one reply with the result code, for the cases where the bytes
// and the code both matter.
struct Read {
    int result = -1;
    std::string bytes;
};

Read exchange(RW_HANDLE handle, const std::string &command)
{
    uint32_t written = 0;
    const int wrote = RW_Write(handle, command.data(), static_cast<uint32_t>(command.size()), &written);
    if (wrote != 0)
        return {wrote, {}};
    char buffer[539];
    uint32_t read = 0;
    const int result = RW_ReadNotTimeOut(handle, buffer, sizeof buffer, &read);
    return {result, std::string(buffer, read)};
}

} // namespace

TEST_P(FaultKinds, HitExactlyTheExchangesCountedFromPlug)
{
    home.plug("0001-s.ini", scenario(std::string("serial=5001500\nfault_at=2\nfault_count=2\nfault=") + GetParam().kind));
    RW_HANDLE h = openFirst();
    EXPECT_EQ(ask(h, "NUMBER=?;"), "NUMBER=5001500;");
    const auto second = ask(h, "VERSION=?;");
    // A new handle does not restart the count: it belongs to the tracker.
    h = openFirst();
    const auto third = ask(h, "DEVNAME=?;");
    EXPECT_EQ(second.has_value(), GetParam().answers);
    EXPECT_EQ(third.has_value(), GetParam().answers);
    if (std::string(GetParam().kind) == "devlock") {
        EXPECT_EQ(second, "DEVLOCK;");
        EXPECT_EQ(third, "DEVLOCK;");
    }
    EXPECT_NE(second, "VERSION=KVMT-1.44;");
    EXPECT_EQ(ask(h, "VERSION=?;"), "VERSION=KVMT-1.44;") << "the tracker is itself again after the fault";
    EXPECT_EQ(ask(h, "DEVNAME=?;"), "DEVNAME=KVMT;");
}

TEST_P(FaultKinds, FaultedSettingIsNotStored)
{
    home.plug("0001-s.ini", scenario(std::string("serial=5001500\nfault_at=1\nfault=") + GetParam().kind));
    RW_HANDLE h = openFirst();
    ask(h, "DEVNAME=Faulty;");
    EXPECT_EQ(ask(h, "DEVNAME=?;"), "DEVNAME=KVMT;");
}

INSTANTIATE_TEST_SUITE_P(Tracker, FaultKinds,
                         ::testing::Values(FaultCase{"silent", false}, FaultCase{"garbage", true},
                                           FaultCase{"devlock", true}),
                         [](const auto &info) { return std::string(info.param.kind); });

TEST(FaultGarbage, SameRunSameBytesAndEveryAwkwardByte)
{
    TrackerHome home;
    home.plug("0001-s.ini", scenario("serial=5001500\ntrace=1\nfault_at=1\nfault_count=30\nfault=garbage"));
    RW_HANDLE h = openFirst();
    std::vector<Read> first;
    for (int i = 0; i < 30; ++i)
        first.push_back(exchange(h, "GSMAPN=?;"));
    home.unplugAll();
    home.plug("0002-s.ini", scenario("serial=5001500\nfault_at=1\nfault_count=30\nfault=garbage"));
    h = openFirst();
    bool cut = false;
    for (int i = 0; i < 30; ++i) {
        const Read again = exchange(h, "GSMAPN=?;");
        EXPECT_EQ(again.bytes, first[static_cast<std::size_t>(i)].bytes) << i;
        EXPECT_EQ(again.result, first[static_cast<std::size_t>(i)].result) << i;
        const std::string &bytes = again.bytes;
        ASSERT_FALSE(bytes.empty()) << i;
        EXPECT_NE(bytes, "GSMAPN=internet.volna-gsm.ru;");
        if (bytes.size() >= 10) {
            for (char awkward : {'\0', '\xFF', ';', '='})
                EXPECT_NE(bytes.find(awkward), std::string::npos) << i << " lacks byte " << int(awkward);
        }
        if (again.result == 4) {
            cut = true;
            EXPECT_EQ(bytes.size(), 539u);
        }
    }
    EXPECT_TRUE(cut) << "some garbage must be longer than any reply buffer";
    EXPECT_NE(home.readFile("trace/5001500.log").find("< GSMAPN="), std::string::npos)
        << "garbage under the key asked for is one of the shapes, and is traced like any reply";
}

TEST(FaultUnplug, TrackerVanishesForEveryHandleAndListing)
{
    TrackerHome home;
    home.plug("0001-s.ini", scenario("serial=5001500\ntrace=1\nfault_at=3\nfault=unplug"));
    RW_HANDLE h = openFirst();
    RW_HANDLE other = openFirst();
    EXPECT_EQ(exchange(h, "NUMBER=?;").result, 0);
    EXPECT_EQ(exchange(other, "NUMBER=?;").result, 0);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(exchange(h, "GSMAPN=gone;").result, 2) << "the write itself finds no device";
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(400)) << "no waiting";
    EXPECT_FALSE(std::filesystem::exists(home.attached() + "/0001-s.ini")) << "as a real unplug: the file goes";
    uint32_t count = 99;
    EXPECT_EQ(RW_GetListDevices(KVUSB_FLAGS, nullptr, &count), 0);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(exchange(other, "NUMBER=?;").result, 2);
    EXPECT_EQ(RW_Purge(other), 2);
    EXPECT_EQ(home.readFile("trace/5001500.log").find("GSMAPN"), std::string::npos)
        << "the command never reached the tracker";

    home.plug("0002-s.ini", scenario("serial=5001500"));
    h = openFirst();
    EXPECT_EQ(ask(h, "GSMAPN=?;"), "GSMAPN=internet.volna-gsm.ru;") << "a re-plug is a new tracker";
}
