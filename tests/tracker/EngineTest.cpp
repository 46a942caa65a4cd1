// Protects the engine pieces below the C interface: byte-exact INI round
// trips and a tracker clock that runs on from the time it was set.
#include "IniFile.h"
#include "VirtualTracker.h"

#include <gtest/gtest.h>

#include <set>

using kvtracker::IniFile;
using kvtracker::Scenario;
using kvtracker::VirtualTracker;

TEST(IniFile, ValuesRoundTripByteForByte)
{
    const std::string values[] = {
        std::string("\xFF\xFF\xFF\xFF"),
        std::string("\xCF\xF0\xE8\xE2\xE5\xF2 \xEC\xE8\xF0"), // Windows-1251 with an inner blank
        std::string(" edge blanks "),
        std::string("back\\slash \\x41 not an escape"),
        std::string("line\nbreak\r\x01\x7F"),
        std::string("semi;colon=equals"),
        std::string(),
    };
    IniFile ini;
    for (std::size_t i = 0; i < std::size(values); ++i)
        ini.set("settings", "K" + std::to_string(i), values[i]);
    const IniFile again = IniFile::parse(ini.serialise());
    EXPECT_TRUE(again.errors().empty());
    for (std::size_t i = 0; i < std::size(values); ++i)
        EXPECT_EQ(again.value("settings", "K" + std::to_string(i)), values[i]) << i;
    EXPECT_EQ(IniFile::parse(again.serialise()).serialise(), ini.serialise());
}

TEST(IniFile, HandWrittenFilesAreReadLeniently)
{
    const IniFile ini = IniFile::parse("; comment\r\n[tracker]\r\n  serial = 5001500  \r\nbroken line\r\n"
                                       "path=C:\\trackers\\a.ini\r\n[settings\r\n");
    EXPECT_EQ(ini.value("tracker", "serial"), "5001500");
    EXPECT_EQ(ini.value("tracker", "path"), "C:\\trackers\\a.ini");
    EXPECT_EQ(ini.errors().size(), 2u);
}

TEST(TrackerClock, RunsOnFromTheTimeSet)
{
    using namespace std::chrono;
    sys_seconds now = sys_days(2024y / January / 10) + hours(8) + minutes(30) + seconds(15);
    VirtualTracker tracker(Scenario{}, std::string(), [&] { return system_clock::time_point(now); });
    EXPECT_EQ(tracker.exchange("SETTIME=?;"), "SETTIME=11:30,10.01.2024,3,0;") << "zone 3 at first";
    EXPECT_EQ(tracker.exchange("SETTIME=23:59,31.12.2015,5,1;"), "SETTIME=23:59,31.12.2015,5,1;");
    now += minutes(2);
    EXPECT_EQ(tracker.exchange("SETTIME=?;"), "SETTIME=00:01,01.01.2016,5,1;");
}

TEST(TrackerClock, OldFirmwareKeepsNoSummerTime)
{
    using namespace std::chrono;
    const sys_seconds now = sys_days(2024y / March / 1) + hours(0);
    Scenario old;
    old.version = "KVMT-1.34";
    VirtualTracker tracker(old, std::string(), [&] { return system_clock::time_point(now); });
    EXPECT_EQ(tracker.exchange("SETTIME=7:5,29.2.2024,-2;"), "SETTIME=07:05,29.02.2024,-2;");
}

TEST(ScenarioCheck, TextLimitsMustNameATextKeyAndShortenIt)
{
    IniFile ini;
    ini.set("tracker", "text_limits", "SMTPSERVER:40,SERVERPERIOD:3,NOSUCHKEY:2,GSMPIN,SMSGATE:8");
    const Scenario scenario = Scenario::fromIni(ini);
    EXPECT_EQ(scenario.problems.size(), 4u) << "longer than usual, not a text key, unknown, no length";
    EXPECT_EQ(scenario.textLimits, (std::map<std::string, std::size_t>{{"SMSGATE", 8}}));
}

TEST(ScenarioCheck, RefusedSettingsAreReportedNotApplied)
{
    Scenario scenario;
    scenario.settings["SERVERPERIOD"] = "700,0,0";
    scenario.settings["GSMAPN"] = "ok.apn";
    VirtualTracker tracker(scenario, std::string());
    ASSERT_EQ(tracker.scenario().problems.size(), 1u);
    EXPECT_NE(tracker.scenario().problems[0].find("SERVERPERIOD"), std::string::npos);
    EXPECT_EQ(tracker.exchange("SERVERPERIOD=?;"), "SERVERPERIOD=24,0,0;");
    EXPECT_EQ(tracker.exchange("GSMAPN=?;"), "GSMAPN=ok.apn;");
}

TEST(ScenarioCheck, FaultsNeedKindAndPosition)
{
    struct Row {
        const char *fault;
        const char *at;
        const char *count;
        std::size_t problems;
        kvtracker::Fault kind;
    } rows[] = {
        {"garbage", "4", nullptr, 0, kvtracker::Fault::Garbage},
        {"UNPLUG", "1", "3", 0, kvtracker::Fault::Unplug},
        {"sometimes", "4", nullptr, 2, kvtracker::Fault::None}, // unknown kind, and so a lone position
        {"silent", nullptr, nullptr, 1, kvtracker::Fault::Silent},
        {"silent", "0", nullptr, 2, kvtracker::Fault::Silent},
        {"devlock", "2", "0", 1, kvtracker::Fault::Devlock},
    };
    for (const Row &row : rows) {
        IniFile ini;
        if (row.fault)
            ini.set("tracker", "fault", row.fault);
        if (row.at)
            ini.set("tracker", "fault_at", row.at);
        if (row.count)
            ini.set("tracker", "fault_count", row.count);
        const Scenario scenario = Scenario::fromIni(ini);
        EXPECT_EQ(scenario.problems.size(), row.problems) << row.fault << " at " << (row.at ? row.at : "-");
        EXPECT_EQ(scenario.fault, row.kind) << row.fault;
    }
}

TEST(FaultGarbage, LengthsStraddleTheConfiguratorsBuffers)
{
    std::set<std::size_t> lengths;
    for (unsigned n = 1; n <= 24; ++n)
        lengths.insert(kvtracker::garbageReply("SMSGATE=?;", n).size());
    EXPECT_LE(*lengths.begin(), 3u);
    EXPECT_TRUE(lengths.count(64) || lengths.count(65) || lengths.count(66)) << "just past a 63-byte field";
    EXPECT_GT(*lengths.rbegin(), 540u) << "past the 539-byte read";
}
