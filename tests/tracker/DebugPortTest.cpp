// Protects the debug serial port: announced as "KV USB CDC" while the tracker
// is plugged, carrying the firmware's text while DEBUGINFO is on.
#include "TrackerTestSupport.h"

#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <regex>
#include <unistd.h>

using namespace kvtracker::test;

namespace {

std::string readAvailable(int fd)
{
    std::string text;
    char buffer[256];
    while (true) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 200) <= 0)
            break;
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0)
            break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    return text;
}

bool pseudoTerminalsAvailable()
{
    const int fd = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

} // namespace

TEST(DebugPort, AnnouncedWhilePluggedAndCarriesDebugText)
{
    if (!pseudoTerminalsAvailable())
        GTEST_SKIP() << "no pseudo-terminals on this machine";
    TrackerHome home;
    home.plug("0001-5001500.ini", scenario("serial=5001500"));
    RW_HANDLE h = openFirst();
    const std::string announcement = home.readFile("ports/0001-5001500");
    std::smatch match;
    ASSERT_TRUE(std::regex_search(announcement, match, std::regex(R"(path=(/dev/\S+))"))) << announcement;
    EXPECT_NE(announcement.find("name=KV USB CDC\n"), std::string::npos);
    EXPECT_NE(announcement.find("serial=5001500\n"), std::string::npos);

    const int port = ::open(match[1].str().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(port, 0);
    ask(h, "NUMBER=?;");
    EXPECT_EQ(readAvailable(port), "") << "silent while DEBUGINFO is off";
    EXPECT_EQ(ask(h, "DEBUGINFO=1;"), "DEBUGINFO=1;");
    ask(h, "NUMBER=?;");
    const std::string text = readAvailable(port);
    EXPECT_NE(text.find("NUMBER=?; -> NUMBER=5001500;\r\n"), std::string::npos) << text;
    ::close(port);

    home.unplugAll();
    uint32_t count = 0;
    RW_GetListDevices(KVUSB_FLAGS, nullptr, &count);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(home.readFile("ports/0001-5001500"), "") << "the announcement goes with the tracker";
}

TEST(DebugPort, ScenarioCanLeaveThePortOut)
{
    TrackerHome home;
    home.plug("0001-5001500.ini", scenario("serial=5001500\ndebug_port=0"));
    openFirst();
    EXPECT_FALSE(std::filesystem::exists(home.path() + "/ports/0001-5001500"));
}
