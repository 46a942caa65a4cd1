// Protects what a plug session does over time: SAVECONFIG as flash, the
// faults a scenario injects, the communication tests' stage sequences, the
// boot loader and the trace witness.
#include "TrackerTestSupport.h"

#include <sstream>

using namespace kvtracker::test;

namespace {

class Session : public ::testing::Test
{
protected:
    void plug(const std::string &keys, const std::string &more = {}, const std::string &file = "0001-s.ini")
    {
        home.plug(file, scenario(keys, more));
        h = openFirst();
    }
    void replug(const std::string &keys)
    {
        home.unplugAll();
        plug(keys, {}, "0002-s.ini");
    }
    std::optional<std::string> operator()(const std::string &command) { return ask(h, command); }
    std::vector<std::string> poll(const std::string &key, int times)
    {
        std::vector<std::string> replies;
        for (int i = 0; i < times; ++i)
            replies.push_back((*this)(key + "=?;").value_or("<nothing>"));
        return replies;
    }

    TrackerHome home;
    RW_HANDLE h = nullptr;
};

} // namespace

TEST_F(Session, SavedSettingsSurviveUnplugAndUnsavedOnesDoNot)
{
    plug("serial=5001500");
    (*this)("GSMAPN=saved.apn;");
    (*this)("READPROFILE=3;");
    (*this)("GPSPERIOD=0,45;");
    (*this)("SETCP=1,1,2,3,4;");
    EXPECT_EQ((*this)("SAVECONFIG=1;"), "SAVECONFIG=1;");
    (*this)("GSMAPN=lost.apn;");
    replug("serial=5001500");
    EXPECT_EQ((*this)("GSMAPN=?;"), "GSMAPN=saved.apn;");
    EXPECT_EQ((*this)("SETCP=?;"), "SETCP=1,1,2,3,4;");
    (*this)("READPROFILE=3;");
    EXPECT_EQ((*this)("GPSPERIOD=?;"), "GPSPERIOD=0,45;");
}

TEST_F(Session, FlashOutranksTheScenarioAndBelongsToTheSerial)
{
    plug("serial=5001500", "[settings]\nDEVNAME=FromScn\n");
    (*this)("DEVNAME=Saved;");
    (*this)("SAVECONFIG=1;");
    home.unplugAll();
    plug("serial=5001500", "[settings]\nDEVNAME=FromScn\n", "0002-s.ini");
    EXPECT_EQ((*this)("DEVNAME=?;"), "DEVNAME=Saved;");
    home.unplugAll();
    plug("serial=5001501", "[settings]\nDEVNAME=FromScn\n", "0003-s.ini");
    EXPECT_EQ((*this)("DEVNAME=?;"), "DEVNAME=FromScn;");
}

TEST_F(Session, SilentAndWrongKeys)
{
    plug("serial=5001500\nsilent=GSMAPN,SAVECONFIG\nwrong=SETTIME,SERVERPORT");
    EXPECT_EQ((*this)("GSMAPN=?;"), std::nullopt);
    EXPECT_EQ((*this)("GSMAPN=x;"), std::nullopt);
    EXPECT_EQ((*this)("SAVECONFIG=1;"), std::nullopt);
    EXPECT_EQ((*this)("SETTIME=9:5,3.7.2015,3,0;"), "WRONG=SETTIME;");
    EXPECT_EQ((*this)("SERVERPORT=2225;"), "WRONG=SERVERPORT;");
    EXPECT_EQ((*this)("SERVERPORT=?;"), "SERVERPORT=2225;") << "queries of a refusing key still answer";
    EXPECT_EQ((*this)("GSMAPNUSER=?;"), "GSMAPNUSER=gdata;");
}

TEST_F(Session, TrackerThatStopsHalfwayAnswersNoMore)
{
    plug("serial=5001500\nanswer_limit=3");
    EXPECT_TRUE((*this)("NUMBER=?;"));
    EXPECT_TRUE((*this)("VERSION=?;"));
    EXPECT_TRUE((*this)("SECURESETUP=?;"));
    EXPECT_EQ((*this)("ACCLEN=?;"), std::nullopt);
    EXPECT_EQ((*this)("NUMBER=?;"), std::nullopt);
    h = openFirst();
    EXPECT_EQ((*this)("NUMBER=?;"), std::nullopt) << "re-opening does not revive it";
}

TEST_F(Session, TraceWitnessesEveryCommandAndReply)
{
    plug("serial=5001500\ntrace=1\nsilent=SMSGATE");
    (*this)("GSMPIN=\xFF\xFF\xFF\xFF;");
    (*this)("SMSGATE=?;");
    EXPECT_EQ(home.readFile("trace/5001500.log"),
              "> GSMPIN=\\xFF\\xFF\\xFF\\xFF;\n"
              "< GSMPIN=\\xFF\\xFF\\xFF\\xFF;\n"
              "> SMSGATE=?;\n");
}

TEST_F(Session, SmtpTestRunsThroughItsStagesAndStaysEnded)
{
    plug("serial=5001500");
    EXPECT_EQ(poll("SMTPTEST", 1), std::vector<std::string>{"SMTPTEST=ENDED:OK;"}) << "nothing started yet";
    EXPECT_EQ((*this)("SMTPTEST=1;"), "SMTPTEST=1;");
    EXPECT_EQ(poll("SMTPTEST", 6),
              (std::vector<std::string>{"SMTPTEST=GSM:OK;", "SMTPTEST=GPRS:OK;", "SMTPTEST=SMTP_CON:OK;",
                                        "SMTPTEST=TEST_SMTP:OK;", "SMTPTEST=ENDED:OK;", "SMTPTEST=ENDED:OK;"}));
    (*this)("SMTPTEST=1;");
    EXPECT_EQ(poll("SMTPTEST", 1), std::vector<std::string>{"SMTPTEST=GSM:OK;"}) << "a restart starts over";
}

TEST_F(Session, TestsRunIndependentlyWithScenarioOutcomes)
{
    plug("serial=5001500", "[tests]\nsms=GSM:OK,GSM:OK,TEST_SMS:BAD_NO_SIM,ENDED:OK\nsrv=GSM:OK,GPRS:BAD,ENDED:BAD\n");
    (*this)("SMSTEST=1;");
    (*this)("SRVTEST=1;");
    EXPECT_EQ(poll("SMSTEST", 2), (std::vector<std::string>{"SMSTEST=GSM:OK;", "SMSTEST=GSM:OK;"}));
    EXPECT_EQ(poll("SRVTEST", 3),
              (std::vector<std::string>{"SRVTEST=GSM:OK;", "SRVTEST=GPRS:BAD;", "SRVTEST=ENDED:BAD;"}));
    EXPECT_EQ(poll("SMSTEST", 2), (std::vector<std::string>{"SMSTEST=TEST_SMS:BAD_NO_SIM;", "SMSTEST=ENDED:OK;"}));
}

TEST_F(Session, BootLoaderSpeaksOnlyItsOwnCommands)
{
    plug("serial=5001500\nversion=KVMT-1.44");
    EXPECT_EQ((*this)("FL_GET_RATE$"), "FL_RATE=38400$");
    EXPECT_EQ((*this)("START_BOOT_LOADER"), "BOOT_LOADER_OK");
    EXPECT_EQ((*this)("PROTECTION,1234567890123456$"), std::nullopt);
    EXPECT_EQ((*this)("FL_GET_NUM$"), "FL_NUM=144$");
    EXPECT_EQ((*this)("NUMBER=?;"), std::nullopt) << "the settings protocol is gone until re-plugged";
    replug("serial=5001500");
    EXPECT_EQ((*this)("NUMBER=?;"), "NUMBER=5001500;");
}

TEST_F(Session, ConsoleCommandsGetTheTrackersOwnReply)
{
    plug("serial=5001500");
    EXPECT_EQ((*this)("NUMBER=?;"), "NUMBER=5001500;");
    EXPECT_EQ((*this)("SAVECONFIG=?;"), "WRONG=SAVECONFIG;");
    EXPECT_EQ((*this)("CONFCLOSE=1;"), "CONFCLOSE=1;");
    EXPECT_EQ((*this)("NUMBER=?;"), "NUMBER=5001500;") << "the close notice does not end the session";
}
