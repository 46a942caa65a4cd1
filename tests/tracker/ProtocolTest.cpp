// Protects the tracker's answers to the settings protocol: stored values
// echoed byte for byte, the firmware gates, per-profile keys and the value
// syntax the configurator depends on.
#include "TrackerTestSupport.h"

#include <regex>

using namespace kvtracker::test;

namespace {

class Protocol : public ::testing::Test
{
protected:
    void plug(const std::string &keys, const std::string &more = {})
    {
        home.plug("0001-t.ini", scenario(keys, more));
        h = openFirst();
    }
    std::optional<std::string> operator()(const std::string &command) { return ask(h, command); }

    TrackerHome home;
    RW_HANDLE h = nullptr;
};

} // namespace

TEST_F(Protocol, IdentityAndBatteryComeFromTheScenario)
{
    plug("serial=5001999\nversion=KVMT-1.40\nbattery_mv=3890\ntemperature=-7");
    EXPECT_EQ((*this)("NUMBER=?;"), "NUMBER=5001999;");
    EXPECT_EQ((*this)("VERSION=?;"), "VERSION=KVMT-1.40;");
    EXPECT_EQ((*this)("ADCINFO=?;"), "ADCINFO=3890,-7;");
    EXPECT_EQ((*this)("NUMBER=42;"), "WRONG=NUMBER;") << "the serial number is not writable";
}

TEST_F(Protocol, UnknownAndMalformedCommandsAnswerNoCmd)
{
    plug("serial=5001500");
    EXPECT_EQ((*this)("FOO=?;"), "NO_CMD");
    EXPECT_EQ((*this)("gsmapn=?;"), "NO_CMD") << "keys are case-sensitive";
    EXPECT_EQ((*this)("HELLO"), "NO_CMD");
    EXPECT_EQ((*this)("GSMAPN=abc"), "WRONG=GSMAPN;") << "a known key without its closing ';'";
}

TEST_F(Protocol, TextValuesAreStoredAndEchoedByteForByte)
{
    plug("serial=5001500");
    const std::string noPin = "\xFF\xFF\xFF\xFF";
    EXPECT_EQ((*this)("GSMPIN=" + noPin + ";"), "GSMPIN=" + noPin + ";");
    EXPECT_EQ((*this)("GSMPIN=?;"), "GSMPIN=" + noPin + ";");
    const std::string cyrillic = "\xCF\xF0\xE8\xE2\xE5\xF2"; // Windows-1251
    EXPECT_EQ((*this)("SMTPLOGIN=" + cyrillic + ";"), "SMTPLOGIN=" + cyrillic + ";");
    EXPECT_EQ((*this)("SMTPTO3=;"), "SMTPTO3=;");
    EXPECT_EQ((*this)("SMTPTO3=?;"), "SMTPTO3=;");
    // The value runs to the last ';', exactly as the configurator splits it.
    EXPECT_EQ((*this)("SERVERPASS=a;b;"), "SERVERPASS=a;b;");
}

TEST_F(Protocol, TextLongerThanTheFieldIsCutAndTheEchoShowsIt)
{
    plug("serial=5001500");
    EXPECT_EQ((*this)("DEVNAME=---------;"), "DEVNAME=--------;");
    EXPECT_EQ((*this)("SERVERPORT=1234567;"), "SERVERPORT=12345;");
    const std::string longTemplate(100, 'm');
    EXPECT_EQ((*this)("MAPTEMPLATE2=" + longTemplate + ";"), "MAPTEMPLATE2=" + longTemplate.substr(0, 96) + ";");
}

TEST_F(Protocol, ScenarioCanHoldATextFieldShorterThanUsual)
{
    plug("serial=5001500\ntext_limits=SMTPSERVER:10, gsmapn:0");
    EXPECT_EQ((*this)("SMTPSERVER=smtp.example.org;"), "SMTPSERVER=smtp.examp;");
    EXPECT_EQ((*this)("SMTPSERVER=?;"), "SMTPSERVER=smtp.examp;");
    EXPECT_EQ((*this)("GSMAPN=internet;"), "GSMAPN=;");
    EXPECT_EQ((*this)("SMTPLOGIN=tracker;"), "SMTPLOGIN=tracker;") << "other fields keep their length";
}

TEST_F(Protocol, NumbersAreValidatedAndEchoedWithoutLeadingZeros)
{
    plug("serial=5001500");
    EXPECT_EQ((*this)("SERVERPERIOD=02,05,1;"), "SERVERPERIOD=2,5,1;");
    EXPECT_EQ((*this)("SERVERPERIOD=649,0,0;"), "WRONG=SERVERPERIOD;");
    EXPECT_EQ((*this)("SERVERPERIOD=2,30;"), "WRONG=SERVERPERIOD;") << "three items required";
    EXPECT_EQ((*this)("SERVERPERIOD=?;"), "SERVERPERIOD=2,5,1;") << "a refused value changes nothing";
    EXPECT_EQ((*this)("MAPFORMAT=5;"), "WRONG=MAPFORMAT;");
    EXPECT_EQ((*this)("ACCLSENSELEV=4;"), "ACCLSENSELEV=4;");
    EXPECT_EQ((*this)("SERVEREN=;"), "WRONG=SERVEREN;");
    EXPECT_EQ((*this)("SETCP=1,-55755827,37617300,20000000,31;"), "SETCP=1,-55755827,37617300,20000000,31;");
    EXPECT_EQ((*this)("BALANCENUM=*100#,1,0;"), "BALANCENUM=*100#,1,0;");
    EXPECT_EQ((*this)("BALANCENUM=*100#;"), "WRONG=BALANCENUM;");
}

TEST_F(Protocol, AccelerometerPresenceIsTheSecondItemOfHashAcclen)
{
    plug("serial=5001500\naccelerometer=0");
    EXPECT_EQ((*this)("ACCLEN=?;"), "#ACCLEN=0,0;");
    EXPECT_EQ((*this)("ACCLEN=1;"), "ACCLEN=0;") << "no sensor, nothing to switch on";
    home.plug("0002-t.ini", scenario("serial=5001501"));
    home.unplug("0001-t.ini");
    h = openFirst();
    EXPECT_EQ((*this)("ACCLEN=0;"), "ACCLEN=0;");
    EXPECT_EQ((*this)("ACCLEN=?;"), "#ACCLEN=0,1;");
}

TEST_F(Protocol, OldFirmwareKeysBeyondTheGatesComeFromNoCmd)
{
    plug("serial=5001500\nno_cmd=ACCLEN,TRUSTNUMBER,DATAWITHUSB,ADCINFO");
    for (const char *key : {"ACCLEN", "TRUSTNUMBER", "DATAWITHUSB", "ADCINFO"}) {
        EXPECT_EQ((*this)(std::string(key) + "=?;"), "NO_CMD") << key;
        EXPECT_EQ((*this)(std::string(key) + "=1;"), "NO_CMD") << key;
    }
    EXPECT_EQ((*this)("DEBUGINFO=?;"), "DEBUGINFO=0;");
}

TEST_F(Protocol, SslMailNeedsTheNewerHardwareSerial)
{
    plug("serial=5001499");
    EXPECT_EQ((*this)("SMTPSSLEN=?;"), "NO_CMD");
    home.plug("0002-t.ini", scenario("serial=5001500"));
    home.unplug("0001-t.ini");
    h = openFirst();
    EXPECT_EQ((*this)("SMTPSSLEN=1;"), "SMTPSSLEN=1;");
}

TEST_F(Protocol, PerProfileKeysAnswerForTheProfileReadProfileChose)
{
    plug("serial=5001500\nreadprofile_activates=0", "[profile2]\nGPSPERIOD=3,0\n[profile4]\nGPSPERIOD=0,20\n");
    EXPECT_EQ((*this)("CHANGEPROFILE=?;"), "CHANGEPROFILE=5;");
    EXPECT_EQ((*this)("READPROFILE=2;"), "READPROFILE=2;");
    EXPECT_EQ((*this)("GPSPERIOD=?;"), "GPSPERIOD=3,0;");
    EXPECT_EQ((*this)("SMSEN=1,1;"), "SMSEN=1,1;");
    EXPECT_EQ((*this)("READPROFILE=4;"), "READPROFILE=4;");
    EXPECT_EQ((*this)("GPSPERIOD=?;"), "GPSPERIOD=0,20;");
    EXPECT_EQ((*this)("SMSEN=0,1;"), "SMSEN=0,1;");
    EXPECT_EQ((*this)("READPROFILE=2;"), "READPROFILE=2;");
    // The first SMSEN item belongs to the profile, the gateway switch not.
    EXPECT_EQ((*this)("SMSEN=?;"), "SMSEN=1,1;");
    EXPECT_EQ((*this)("CHANGEPROFILE=?;"), "CHANGEPROFILE=5;") << "reading a profile does not activate it";
    EXPECT_EQ((*this)("GSMAPN=?;"), (*this)("GSMAPN=?;")) << "global keys are the same for every profile";
}

TEST_F(Protocol, ReadProfileActivatesTheProfileUnlessTheScenarioSaysNot)
{
    plug("serial=5001500");
    EXPECT_EQ((*this)("READPROFILE=3;"), "READPROFILE=3;");
    EXPECT_EQ((*this)("CHANGEPROFILE=?;"), "CHANGEPROFILE=3;");
}

// Firmware versions around each gate; every key that a version lacks must
// answer NO_CMD, every key it has must answer with its value.
struct GateCase
{
    const char *version;
    int firmware;
};

void PrintTo(const GateCase &gate, std::ostream *out)
{
    *out << gate.version;
}

class FirmwareGates : public Protocol, public ::testing::WithParamInterface<GateCase>
{
};

TEST_P(FirmwareGates, KeysAnswerExactlyFromTheirFirmware)
{
    const GateCase param = GetParam();
    plug(std::string("serial=5001500\nversion=") + param.version);
    const std::pair<const char *, int> gated[] = {
        {"ACCLSENSELEV", 122},  {"FASTMOVEDETECT", 122}, {"ACCLSENSETIMEOUT", 122}, {"ACCLACTIVTIME", 122},
        {"MAPTEMPLATE1", 132},  {"MAPTEMPLATE2", 132},   {"LBSDISABLE", 132},       {"CHANGEPROFILEONCALL", 144},
        {"ACCLALARMCALL", 144}, {"GSMAPN", 0},           {"ACCLSETUPSEND", 0},      {"SETCP", 0},
    };
    for (const auto &[key, from] : gated) {
        const auto answer = (*this)(std::string(key) + "=?;");
        ASSERT_TRUE(answer) << key;
        if (param.firmware < from)
            EXPECT_EQ(*answer, "NO_CMD") << key;
        else
            EXPECT_EQ(answer->rfind(std::string(key) + "=", 0), 0u) << key << ": " << *answer;
    }
}

TEST_P(FirmwareGates, ClockHasTheSummerTimeItemFromFirmware135)
{
    const GateCase param = GetParam();
    plug(std::string("serial=5001500\nversion=") + param.version);
    const bool seven = param.firmware >= 135;
    const auto now = (*this)("SETTIME=?;");
    ASSERT_TRUE(now);
    const std::regex form(seven ? R"(SETTIME=\d\d:\d\d,\d\d\.\d\d\.\d{4},-?\d+,[01];)"
                                : R"(SETTIME=\d\d:\d\d,\d\d\.\d\d\.\d{4},-?\d+;)");
    EXPECT_TRUE(std::regex_match(*now, form)) << *now;

    const auto six = (*this)("SETTIME=9:5,3.7.2015,3;");
    const auto withSummer = (*this)("SETTIME=9:5,3.7.2015,3,1;");
    if (seven) {
        EXPECT_EQ(six, "WRONG=SETTIME;");
        ASSERT_TRUE(withSummer);
        EXPECT_TRUE(std::regex_match(*withSummer, std::regex(R"(SETTIME=09:0[56],03\.07\.2015,3,1;)"))) << *withSummer;
    } else {
        EXPECT_EQ(withSummer, "WRONG=SETTIME;");
        ASSERT_TRUE(six);
        EXPECT_TRUE(std::regex_match(*six, std::regex(R"(SETTIME=09:0[56],03\.07\.2015,3;)"))) << *six;
    }
}

TEST_P(FirmwareGates, UserProfileTwoExistsFromFirmware144)
{
    const GateCase param = GetParam();
    plug(std::string("serial=5001500\nversion=") + param.version);
    const std::string expected = param.firmware >= 144 ? "CHANGEPROFILE=6;" : "WRONG=CHANGEPROFILE;";
    EXPECT_EQ((*this)("CHANGEPROFILE=6;"), expected);
    EXPECT_EQ((*this)("READPROFILE=6;"), param.firmware >= 144 ? "READPROFILE=6;" : "WRONG=READPROFILE;");
    EXPECT_EQ((*this)("CHANGEPROFILE=5;"), "CHANGEPROFILE=5;");
}

INSTANTIATE_TEST_SUITE_P(Versions, FirmwareGates,
                         ::testing::Values(GateCase{"KVMT-1.21", 121}, GateCase{"KVMT-1.22", 122},
                                           GateCase{"KVMT-1.31", 131}, GateCase{"KVMT-1.32", 132},
                                           GateCase{"KVMT-1.34", 134}, GateCase{"KVMT-1.35", 135},
                                           GateCase{"KVMT-1.43", 143}, GateCase{"KVMT-1.44", 144}),
                         [](const auto &info) { return std::to_string(info.param.firmware); });

TEST_F(Protocol, ClockRejectsImpossibleDates)
{
    plug("serial=5001500");
    EXPECT_EQ((*this)("SETTIME=12:00,30.02.2016,3,0;"), "WRONG=SETTIME;");
    EXPECT_EQ((*this)("SETTIME=24:00,01.02.2016,3,0;"), "WRONG=SETTIME;");
    EXPECT_EQ((*this)("SETTIME=12.00,01.02.2016,3,0;"), "WRONG=SETTIME;");
    EXPECT_EQ((*this)("SETTIME=12:00,29.02.2016,-3,0;").value_or("").substr(0, 28), "SETTIME=12:00,29.02.2016,-3,");
}

TEST_F(Protocol, ScenarioSettingsAreTheInitialValues)
{
    plug("serial=5001500", "[settings]\nGSMAPN=apn.example\nGSMPIN=\\xFF\\xFF\\xFF\\xFF\nSERVEREN=1\n");
    EXPECT_EQ((*this)("GSMAPN=?;"), "GSMAPN=apn.example;");
    EXPECT_EQ((*this)("GSMPIN=?;"), "GSMPIN=\xFF\xFF\xFF\xFF;");
    for (int p = 0; p < 7; ++p) {
        (*this)("READPROFILE=" + std::to_string(p) + ";");
        EXPECT_EQ((*this)("SERVEREN=?;"), "SERVEREN=1;") << "a profile key in [settings] sets every profile";
    }
}
