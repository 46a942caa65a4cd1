// Protects the password lock: what a locked tracker refuses, how each
// protection command unlocks or changes it, and that it survives unplugging.
#include "TrackerTestSupport.h"

using namespace kvtracker::test;

namespace {

class Protection : public ::testing::Test
{
protected:
    void plug(const std::string &keys, const std::string &file = "0001-p.ini")
    {
        home.plug(file, scenario(keys));
        h = openFirst();
    }
    void replug()
    {
        home.unplugAll();
        plug("serial=5001500\nprotected=0\npassword=1234", "0009-p.ini");
    }
    std::optional<std::string> operator()(const std::string &command) { return ask(h, command); }

    TrackerHome home;
    RW_HANDLE h = nullptr;
};

} // namespace

TEST_F(Protection, LockedTrackerStillIdentifiesItself)
{
    plug("serial=5001500\nprotected=1\npassword=4321");
    EXPECT_EQ((*this)("NUMBER=?;"), "NUMBER=5001500;");
    EXPECT_EQ((*this)("VERSION=?;"), "VERSION=KVMT-1.44;");
    EXPECT_EQ((*this)("SECURESETUP=?;"), "SECURESETUP=1;");
    EXPECT_EQ((*this)("ADCINFO=?;"), "ADCINFO=4120,23;");
}

TEST_F(Protection, LockedTrackerRefusesChangesReadsAndSaving)
{
    plug("serial=5001500\nprotected=1\npassword=4321");
    EXPECT_EQ((*this)("GSMAPN=evil;"), "DEVLOCK;");
    EXPECT_EQ((*this)("GSMAPN=?;"), "DEVLOCK;");
    EXPECT_EQ((*this)("READPROFILE=2;"), "DEVLOCK;");
    EXPECT_EQ((*this)("SAVECONFIG=1;"), "DEVLOCK;");
    EXPECT_EQ((*this)("SMTPTEST=1;"), "DEVLOCK;");
    EXPECT_EQ((*this)("SECURESETUP=0,4321;"), "DEVLOCK;");
    EXPECT_EQ((*this)("SECUREPASSCHANGE=4321,1111;"), "DEVLOCK;");
    EXPECT_EQ((*this)("FOO=1;"), "NO_CMD") << "an unknown key stays unknown";
}

TEST_F(Protection, ReadsCanBeLeftOpenWhileChangesStayLocked)
{
    plug("serial=5001500\nprotected=1\nlock_reads=0");
    EXPECT_EQ((*this)("DEVNAME=?;"), "DEVNAME=KVMT;");
    EXPECT_EQ((*this)("DEVNAME=x;"), "DEVLOCK;");
}

TEST_F(Protection, PasswordUnlocksForThePlugSessionUntilTheConfiguratorCloses)
{
    plug("serial=5001500\nprotected=1\npassword=4321");
    EXPECT_EQ((*this)("SECUREOFFTMP=1234;"), "SECUREOFFTMP=0;");
    EXPECT_EQ((*this)("DEVNAME=x;"), "DEVLOCK;");
    EXPECT_EQ((*this)("SECUREOFFTMP=4321;"), "SECUREOFFTMP=1;");
    EXPECT_EQ((*this)("DEVNAME=x;"), "DEVNAME=x;");
    h = openFirst(); // the monitor's next re-open
    EXPECT_EQ((*this)("DEVNAME=?;"), "DEVNAME=x;");
    EXPECT_EQ((*this)("CONFCLOSE=1;"), "CONFCLOSE=1;");
    EXPECT_EQ((*this)("DEVNAME=?;"), "DEVLOCK;");
}

TEST_F(Protection, SwitchingNeedsTheDevicePasswordAndPersists)
{
    plug("serial=5001500\nprotected=0\npassword=1234");
    EXPECT_EQ((*this)("SECURESETUP=1,9999;"), "SECURESETUP=0,0;");
    EXPECT_EQ((*this)("SECURESETUP=1,;"), "SECURESETUP=0,0;");
    EXPECT_EQ((*this)("SECURESETUP=1,1234;"), "SECURESETUP=1,1;");
    EXPECT_EQ((*this)("DEVNAME=mine;"), "DEVNAME=mine;") << "whoever switched it on is past the password";
    replug();
    EXPECT_EQ((*this)("SECURESETUP=?;"), "SECURESETUP=1;") << "protection is kept without SAVECONFIG";
    EXPECT_EQ((*this)("DEVNAME=?;"), "DEVLOCK;");
    EXPECT_EQ((*this)("SECUREOFFTMP=1234;"), "SECUREOFFTMP=1;");
    EXPECT_EQ((*this)("SECURESETUP=0,1234;"), "SECURESETUP=0,1;");
    replug();
    EXPECT_EQ((*this)("SECURESETUP=?;"), "SECURESETUP=0;");
}

TEST_F(Protection, ChangingThePasswordChecksTheOldOne)
{
    plug("serial=5001500\nprotected=1\npassword=1234");
    (*this)("SECUREOFFTMP=1234;");
    EXPECT_EQ((*this)("SECUREPASSCHANGE=0000,5678;"), "SECUREPASSCHANGE=0;");
    EXPECT_EQ((*this)("SECUREPASSCHANGE=1234,56;"), "SECUREPASSCHANGE=0;") << "a device password has four digits";
    EXPECT_EQ((*this)("SECUREPASSCHANGE=1234,5678;"), "SECUREPASSCHANGE=1;");
    replug();
    EXPECT_EQ((*this)("SECUREOFFTMP=1234;"), "SECUREOFFTMP=0;");
    EXPECT_EQ((*this)("SECUREOFFTMP=5678;"), "SECUREOFFTMP=1;");
}

TEST_F(Protection, MasterPasswordReplacesAForgottenPasswordWhileLocked)
{
    plug("serial=5001500\nprotected=1\npassword=1234\nmaster=QWERTYUIOPASDFGH");
    EXPECT_EQ((*this)("SECURERESET=ABCDEFGHIJKLMNOP,7777;"), "SECURERESET=0;");
    EXPECT_EQ((*this)("DEVNAME=?;"), "DEVLOCK;");
    EXPECT_EQ((*this)("SECURERESET=QWERTYUIOPASDFGH,7777;"), "SECURERESET=1;");
    EXPECT_EQ((*this)("DEVNAME=?;"), "DEVNAME=KVMT;");
    replug();
    EXPECT_EQ((*this)("SECUREOFFTMP=7777;"), "SECUREOFFTMP=1;");
}
