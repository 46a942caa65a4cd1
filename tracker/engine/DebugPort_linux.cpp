#include "DebugPort.h"

#include "IniFile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <termios.h>
#include <unistd.h>

namespace kvtracker {

std::unique_ptr<DebugPort> DebugPort::open(const std::string &home, const std::string &serial,
                                           const std::string &entryName)
{
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0)
        return nullptr;
    if (::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        ::close(master);
        return nullptr;
    }
    char name[128] = {};
    if (::ptsname_r(master, name, sizeof name) != 0) {
        ::close(master);
        return nullptr;
    }
    // Raw mode on the slave side: no echo back into the master (nobody reads
    // it) and no line-end translation of the firmware's text.
    const int slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave >= 0) {
        termios mode{};
        if (::tcgetattr(slave, &mode) == 0) {
            ::cfmakeraw(&mode);
            ::cfsetispeed(&mode, B38400);
            ::cfsetospeed(&mode, B38400);
            ::tcsetattr(slave, TCSANOW, &mode);
        }
        ::close(slave);
    }
    const int flags = ::fcntl(master, F_GETFL);
    ::fcntl(master, F_SETFL, flags | O_NONBLOCK);

    std::string stem = entryName;
    if (stem.size() > 4 && stem.compare(stem.size() - 4, 4, ".ini") == 0)
        stem.resize(stem.size() - 4);
    std::error_code ignored;
    std::filesystem::create_directories(home + "/ports", ignored);
    const std::string announcement = home + "/ports/" + stem;
    IniFile file;
    file.set("port", "path", name);
    file.set("port", "name", DebugPortName);
    file.set("port", "serial", serial);
    file.save(announcement);
    return std::unique_ptr<DebugPort>(new DebugPort(master, name, announcement));
}

DebugPort::DebugPort(int master, std::string path, std::string announcement)
    : master_(master), path_(std::move(path)), announcement_(std::move(announcement))
{
}

DebugPort::~DebugPort()
{
    // Only our own announcement is removed: a later plug may have written
    // the same name for another terminal.
    if (const auto file = IniFile::load(announcement_); file && file->value("port", "path") == path_)
        std::remove(announcement_.c_str());
    ::close(master_);
}

void DebugPort::write(const std::string &text)
{
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(master_, text.data() + done, text.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            return;
        }
    }
}

} // namespace kvtracker
