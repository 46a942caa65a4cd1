// Test support: a private tracker home per test and one-line exchanges
// through the device library's C interface.
#pragma once

#include "kvusb.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#if defined(_WIN32)
#include <process.h>
#endif

namespace kvtracker::test {

// A new empty folder under the system's temporary folder.
inline std::string makeTemporaryFolder(const char *stem)
{
#if defined(_WIN32)
    for (unsigned attempt = 0;; ++attempt) {
        const auto candidate = std::filesystem::temp_directory_path()
            / (std::string(stem) + std::to_string(::_getpid()) + "-" + std::to_string(std::rand()) + std::to_string(attempt));
        if (std::filesystem::create_directory(candidate))
            return candidate.generic_string();
    }
#else
    std::string pattern = (std::filesystem::temp_directory_path() / (std::string(stem) + "XXXXXX")).string();
    return ::mkdtemp(pattern.data());
#endif
}

inline void setEnvironment(const char *name, const std::string &value)
{
#if defined(_WIN32)
    ::_putenv_s(name, value.c_str());
#else
    ::setenv(name, value.c_str(), 1);
#endif
}

// A fresh tracker home in a temporary folder, set as $KVTRACKER_HOME for the
// test's lifetime. Plugging is what the configurator's own tests do: write a
// scenario file into attached/.
class TrackerHome
{
public:
    TrackerHome()
    {
        path_ = makeTemporaryFolder("kvtracker-test-");
        setEnvironment("KVTRACKER_HOME", path_);
    }
    ~TrackerHome()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TrackerHome(const TrackerHome &) = delete;
    TrackerHome &operator=(const TrackerHome &) = delete;

    const std::string &path() const { return path_; }
    std::string attached() const { return path_ + "/attached"; }

    // fileName decides the plug order; the text is a scenario file.
    void plug(const std::string &fileName, const std::string &scenario) const
    {
        std::filesystem::create_directories(attached());
        std::ofstream(attached() + "/" + fileName, std::ios::binary) << scenario;
    }
    void unplug(const std::string &fileName) const { std::filesystem::remove(attached() + "/" + fileName); }
    void unplugAll() const
    {
        std::filesystem::remove_all(attached());
        std::filesystem::create_directories(attached());
    }
    std::string readFile(const std::string &relative) const
    {
        std::ifstream in(path_ + "/" + relative, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

private:
    std::string path_;
};

inline std::string scenario(const std::string &trackerKeys, const std::string &more = {})
{
    // Silence known at once unless a test of waiting asks otherwise; a key
    // given later in trackerKeys wins.
    return "[tracker]\nsilence_waits=0\n" + trackerKeys + "\n" + more;
}

inline RW_HANDLE openFirst()
{
    uint32_t count = 0;
    EXPECT_EQ(RW_GetListDevices(KVUSB_FLAGS, nullptr, &count), 0);
    if (count == 0)
        return nullptr;
    std::string list(count * KVUSB_LIST_ENTRY_SIZE, '\0');
    EXPECT_EQ(RW_GetListDevices(KVUSB_FLAGS, list.data(), &count), 0);
    RW_HANDLE handle = nullptr;
    EXPECT_EQ(RW_OpenDevice(KVUSB_FLAGS, list.data() + KVUSB_LIST_NAME_OFFSET, &handle), 0);
    RW_SetTimeouts(handle, 500, 500);
    return handle;
}

// One command and one reply, as the configurator exchanges them; nothing
// when no reply arrived.
inline std::optional<std::string> ask(RW_HANDLE handle, const std::string &command)
{
    uint32_t written = 0;
    RW_Write(handle, command.data(), static_cast<uint32_t>(command.size()), &written);
    char buffer[539];
    uint32_t read = 0;
    RW_ReadNotTimeOut(handle, buffer, sizeof buffer, &read);
    if (read == 0)
        return std::nullopt;
    return std::string(buffer, read);
}

} // namespace kvtracker::test
