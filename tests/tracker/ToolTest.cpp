// Protects kvtracker as scripts use it: exit codes, refusing a broken
// scenario, and plugs that the library sees at once.
#include "TrackerTestSupport.h"

#include <cstdio>
#if !defined(_WIN32)
#include <sys/wait.h>
#endif

using namespace kvtracker::test;

namespace {

struct ToolRun
{
    int exitCode = -1;
    std::string output;
};

ToolRun runTool(const std::string &arguments)
{
    ToolRun run;
    const std::string command = std::string(KVTRACKER_TOOL_PATH) + " " + arguments + " 2>&1";
#if defined(_WIN32)
    // cmd.exe wants the whole line quoted once more.
    FILE *pipe = ::_popen(("\"" + command + "\"").c_str(), "r");
#else
    FILE *pipe = ::popen(command.c_str(), "r");
#endif
    if (!pipe)
        return run;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe))
        run.output += buffer;
#if defined(_WIN32)
    run.exitCode = ::_pclose(pipe);
#else
    const int status = ::pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
    return run;
}

uint32_t attachedCount()
{
    uint32_t count = 0;
    RW_GetListDevices(KVUSB_FLAGS, nullptr, &count);
    return count;
}

} // namespace

TEST(Tool, PlugKeepsTheDefaultTrackerAndUnplugTakesTheLast)
{
    TrackerHome home;
    RW_HANDLE first = openFirst();
    EXPECT_EQ(ask(first, "DEVNAME=Kept;"), "DEVNAME=Kept;");

    const ToolRun plugged = runTool("plug --serial 5001700 --version KVMT-1.35 --protected 1");
    EXPECT_EQ(plugged.exitCode, 0) << plugged.output;
    EXPECT_EQ(attachedCount(), 2u);
    EXPECT_EQ(ask(first, "DEVNAME=?;"), "DEVNAME=Kept;") << "plugging a second tracker must not replug the first";

    const ToolRun listed = runTool("list");
    EXPECT_NE(listed.output.find("KVMT 5001500"), std::string::npos) << listed.output;
    EXPECT_NE(listed.output.find("KVMT 5001700"), std::string::npos) << listed.output;

    EXPECT_EQ(runTool("unplug").exitCode, 0);
    EXPECT_EQ(attachedCount(), 1u);
    EXPECT_EQ(runTool("unplug 5001500").exitCode, 0);
    EXPECT_EQ(attachedCount(), 0u);
    const ToolRun nothing = runTool("unplug");
    EXPECT_NE(nothing.exitCode, 0);
    EXPECT_NE(nothing.output.find("no tracker is plugged"), std::string::npos);
}

TEST(Tool, UnplugOfTheDefaultLeavesAnEmptyAttachedFolderAndResetBringsItBack)
{
    TrackerHome home;
    EXPECT_EQ(runTool("unplug").exitCode, 0);
    EXPECT_TRUE(std::filesystem::is_directory(home.attached()));
    EXPECT_EQ(attachedCount(), 0u);
    EXPECT_EQ(runTool("reset").exitCode, 0);
    EXPECT_EQ(attachedCount(), 1u);
}

TEST(Tool, RefusesBrokenScenariosAndUnknownCommands)
{
    TrackerHome home;
    const std::string file = home.path() + "/bad.ini";
    std::ofstream(file) << "[tracker]\nserial=1\nversion=1.44\naccelerometer=maybe\n";
    const ToolRun bad = runTool("plug --scenario " + file);
    EXPECT_NE(bad.exitCode, 0);
    EXPECT_NE(bad.output.find("accelerometer"), std::string::npos) << bad.output;
    EXPECT_NE(bad.output.find("version"), std::string::npos) << bad.output;
    EXPECT_EQ(attachedCount(), 1u) << "nothing plugged";
    std::ofstream(file) << "[tracker]\nserial=1\n[settings]\nMAPFORMAT=7\nNOSUCHKEY=1\n";
    const ToolRun refused = runTool("plug --scenario " + file);
    EXPECT_NE(refused.exitCode, 0);
    EXPECT_NE(refused.output.find("MAPFORMAT"), std::string::npos) << refused.output;
    EXPECT_NE(refused.output.find("NOSUCHKEY"), std::string::npos) << refused.output;
    EXPECT_NE(runTool("plug --scenario /nonexistent.ini").exitCode, 0);
    EXPECT_NE(runTool("jump").exitCode, 0);
    EXPECT_EQ(runTool("--help").exitCode, 0);
}

TEST(Tool, ScenarioFilePlugsWithItsSettings)
{
    TrackerHome home;
    const std::string file = home.path() + "/s.ini";
    std::ofstream(file) << "[tracker]\nserial=5002000\nversion=KVMT-1.31\n[settings]\nGSMAPN=from.file\n";
    ASSERT_EQ(runTool("plug --scenario " + file).exitCode, 0);
    runTool("unplug 5001500");
    RW_HANDLE h = openFirst();
    EXPECT_EQ(ask(h, "NUMBER=?;"), "NUMBER=5002000;");
    EXPECT_EQ(ask(h, "GSMAPN=?;"), "GSMAPN=from.file;");
    EXPECT_EQ(ask(h, "MAPTEMPLATE1=?;"), "NO_CMD");
}
