// What the device library sees: the plugged virtual trackers, the handles
// opened on them and the replies waiting to be read.
//
// Everything is kept in step with attached/ under the tracker home at every
// call, since another process (kvtracker) plugs and unplugs.
#pragma once

#include "AttachedFolder.h"
#include "VirtualTracker.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace kvtracker {

// Result codes of the device library; 0 is success.
enum BusResult : int {
    Ok = 0,
    InvalidArgument = 1,
    NoSuchDevice = 2,   // name not listed, or the tracker was unplugged
    NothingArrived = 3, // no reply within the read time-out
    ReplyTruncated = 4, // the reply was longer than the caller's buffer
    InvalidHandle = 5,
};

class DebugPort;

class TrackerBus
{
public:
    using HandleId = std::uintptr_t;
    using HomeProvider = std::function<std::string()>;

    explicit TrackerBus(HomeProvider home);
    ~TrackerBus();

    struct Listed
    {
        std::uint32_t id; // unique per plugged instance
        std::string name;
    };
    // The attached trackers in plug order.
    std::vector<Listed> list();

    BusResult open(const std::string &name, HandleId &handle);
    BusResult close(HandleId handle);
    BusResult setTimeouts(HandleId handle, std::uint32_t readMs, std::uint32_t writeMs);
    BusResult write(HandleId handle, const std::string &bytes);
    // wholeReply: one reply per read, the part beyond capacity dropped;
    // otherwise a byte stream, the rest kept for the next read.
    BusResult read(HandleId handle, char *buffer, std::uint32_t capacity, std::uint32_t &bytesRead, bool wholeReply);
    BusResult purge(HandleId handle);

private:
    struct Pending
    {
        std::string bytes;
        std::chrono::steady_clock::time_point readyAt;
    };
    struct Plugged
    {
        AttachedEntry entry;
        std::uint32_t id = 0;
        std::unique_ptr<VirtualTracker> tracker;
        std::unique_ptr<DebugPort> port;
        std::deque<Pending> replies;
        bool present = true;
        // A read that finds nothing queued returns at once instead of waiting
        // out its time-out (the last command's silence was an injected fault,
        // or the scenario asks for instant silence).
        bool silenceInstant = false;
    };
    struct Handle
    {
        std::weak_ptr<Plugged> device;
        std::uint32_t readTimeoutMs = 500;
    };

    void sync();
    void unplug(Plugged &device);
    std::shared_ptr<Plugged> deviceOf(HandleId handle, BusResult &result);

    std::mutex mutex_;
    HomeProvider homeProvider_;
    std::string home_;
    std::vector<std::shared_ptr<Plugged>> devices_;
    std::map<HandleId, Handle> handles_;
    std::uint32_t nextDeviceId_ = 1;
    HandleId nextHandle_ = 0x1000;
};

} // namespace kvtracker
