// Identity and behaviour of one virtual tracker, read from a scenario file.
#pragma once

#include "IniFile.h"

#include <array>
#include <cstddef>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace kvtracker {

inline constexpr int ProfileCount = 7;

// What a tracker does at the exchanges a scenario marks as faulty.
enum class Fault {
    None,
    Silent,  // no reply at all
    Garbage, // bytes that are no protocol: NUL, 0xFF, ';', '=', overlong
    Devlock, // "DEVLOCK;" whatever was asked
    Unplug,  // the tracker is pulled out before the command reaches it
};

struct Scenario
{
    // [tracker]: identity
    std::string serial = "5001500";
    std::string version = "KVMT-1.44";
    bool accelerometer = true;
    bool protection = false;
    std::string password = "1234";
    std::string master = "ABCDEFGHIJKLMNOP";

    // [tracker]: behaviour
    unsigned latencyMs = 0;
    // A reply that never comes costs the reader its read time-out, as with
    // the maker's library; off, silence is known at once (tests of logic).
    bool silenceWaits = true;
    std::set<std::string> silent;
    std::set<std::string> wrong;
    std::set<std::string> noCmd;
    // Text keys this firmware holds shorter than usual: the echo of a longer
    // value shows it cut to this many bytes.
    std::map<std::string, std::size_t> textLimits;
    std::optional<unsigned> answerLimit;
    // Exchanges faultAt .. faultAt + faultCount - 1, counted from 1 since
    // plug, get `fault` instead of their answer.
    Fault fault = Fault::None;
    unsigned faultAt = 0;
    unsigned faultCount = 1;
    bool trace = false;
    bool lockReads = true;
    // Picking a profile to look at makes it the active one: the configurator
    // reads the active profile back after READPROFILE and lays the page out
    // for it, so anything else would show one profile's values under
    // another's name.
    bool readProfileActivates = true;
    int batteryMv = 4120;
    int temperature = 23;
    bool debugPort = true;

    // [tests]: stage lists, "STAGE:RESULT" items in poll order
    std::vector<std::string> smtpTest;
    std::vector<std::string> smsTest;
    std::vector<std::string> srvTest;

    // [settings] and [profile0]..[profile6]: initial stored values
    IniFile::Section settings;
    std::array<IniFile::Section, ProfileCount> profiles;

    // Problems found while reading; the tracker still works with defaults.
    std::vector<std::string> problems;

    static Scenario fromIni(const IniFile &ini);
    static Scenario fromFile(const std::string &path);

    // The text of the scenario file for the tracker that counts as attached
    // on a fresh machine.
    static std::string defaultText();

    // Major x 100 + minor of "KVMT-major.minor"; 0 when it does not match,
    // as the configurator reads it.
    int firmware() const;
    // The list name, cut to the 21 characters a list entry holds.
    std::string deviceName() const;
};

std::vector<std::string> splitList(const std::string &text, char separator = ',');

} // namespace kvtracker
