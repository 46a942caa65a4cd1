// One plugged virtual tracker: its settings in RAM and in flash, password
// lock, communication tests and boot loader, answering the text protocol.
//
// An instance lives from plug to unplug. Handles come and go (the
// configurator re-opens the tracker at every monitor run without closing the
// old handle), so everything a real tracker would keep in its own memory is
// kept here and not in a handle.
#pragma once

#include "Scenario.h"

#include <array>
#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace kvtracker {

struct KeyRule;

class VirtualTracker
{
public:
    using Clock = std::function<std::chrono::system_clock::time_point()>;
    using DebugSink = std::function<void(const std::string &line)>;

    // home: the folder holding flash/ and trace/; empty keeps everything in
    // memory (nothing persists).
    VirtualTracker(Scenario scenario, std::string home, Clock clock = {});

    // One command in, at most one reply out. No reply models a tracker that
    // stays silent: the caller's read then brings nothing.
    std::optional<std::string> exchange(const std::string &command);

    const Scenario &scenario() const { return scenario_; }
    // The scenario's unplug fault has fired: the tracker is gone, and whoever
    // holds it must unplug it for everyone.
    bool vanished() const { return vanished_; }
    // Whether the last command's missing answer makes its reader wait out
    // the read time-out: a scenario's silence does, an injected fault's
    // silence is known at once so that sweeps over every exchange stay fast.
    bool silenceWaits() const { return scenario_.silenceWaits && !silenceIsFault_; }
    bool locked() const { return protection_ && !unlocked_; }
    bool inBootLoader() const { return bootLoader_; }
    int firmware() const { return firmware_; }
    int lastProfile() const { return firmware_ >= 144 ? 6 : 5; }

    // Debug text the firmware prints while DEBUGINFO is on.
    void setDebugSink(DebugSink sink) { debugSink_ = std::move(sink); }

    std::string flashPath() const;
    std::string tracePath() const;

private:
    enum class Test { Smtp, Sms, Srv };
    struct TestRun
    {
        std::vector<std::string> stages;
        std::size_t next = 0;
        bool started = false;
    };

    std::optional<std::string> respond(const std::string &command);
    bool faultActive() const;
    std::optional<std::string> bootLoaderCommand(const std::string &command);
    std::string settingReply(const KeyRule &rule, const std::string &value, bool query);
    std::optional<std::string> storeSetting(const KeyRule &rule, const std::string &value);
    std::string storedValue(const KeyRule &rule) const;
    std::string securityCommand(const std::string &key, const std::string &value, bool query);
    std::string testCommand(Test test, const std::string &key, const std::string &value, bool query);

    std::string clockText() const;
    bool setClock(const std::string &value);

    void loadFactorySettings();
    void applyScenarioSettings();
    void loadFlash();
    bool saveFlash() const;
    void persistSecurity() const;
    void trace(char direction, const std::string &bytes) const;
    void debug(const std::string &line) const;

    Scenario scenario_;
    std::string home_;
    Clock clock_;
    DebugSink debugSink_;
    int firmware_ = 0;

    std::map<std::string, std::string> global_;
    std::array<std::map<std::string, std::string>, ProfileCount> profiles_;
    int viewProfile_ = 0;
    long long clockOffsetSeconds_ = 0; // tracker local time minus UTC
    int timeZone_ = 3;
    int summerTime_ = 0;

    bool protection_ = false;
    bool unlocked_ = false;
    std::string password_;

    std::array<TestRun, 3> tests_;
    bool bootLoader_ = false;
    unsigned exchanges_ = 0;
    bool silenceIsFault_ = false;
    bool vanished_ = false;
};

// The reply of a garbage fault at exchange n: deterministic, never valid
// protocol, and always holding NUL, 0xFF, ';' and '=' (when it is four bytes
// or longer). Some are longer than any reply buffer.
std::string garbageReply(const std::string &command, unsigned n);

std::string safeFileName(const std::string &text);
// Bytes as one printable line: printable ASCII stays, the rest as \xHH.
std::string traceText(const std::string &bytes);

} // namespace kvtracker
