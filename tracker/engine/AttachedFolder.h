// The attached/ folder under the tracker home: one scenario file per plugged
// virtual tracker, listed in plug order. The configurator watches the folder,
// so every change here is a plug or unplug notice.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kvtracker {

struct AttachedEntry
{
    std::string fileName; // "0001-5001500.ini": the tracker's identity while plugged
    std::string path;     // empty for the built-in default tracker
    bool builtIn = false;
};

// File name under which the default tracker is kept once attached/ exists, so
// that materialising it does not count as unplugging it.
inline constexpr const char *DefaultEntryName = "0000-5001500.ini";

class AttachedFolder
{
public:
    explicit AttachedFolder(std::string home);

    const std::string &home() const { return home_; }
    std::string path() const;
    bool exists() const;

    // Plugged trackers in plug order. Without attached/ the built-in default
    // tracker is the only one.
    std::vector<AttachedEntry> list() const;
    bool isPresent(const AttachedEntry &entry) const;

    // Adds a tracker with the given scenario text; gives the new entry's file
    // name, or nothing with error set.
    std::optional<std::string> plug(const std::string &scenarioText, const std::string &serial, std::string &error);
    // Removes the last plugged tracker with this serial (any serial when
    // empty); gives the removed file name.
    std::optional<std::string> unplug(const std::string &serial, std::string &error);
    // Back to a fresh machine: no attached/, no flash, no traces.
    bool reset(std::string &error);

private:
    bool materialiseDefault(std::string &error);
    std::string home_;
};

} // namespace kvtracker
