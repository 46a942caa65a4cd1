#include "TrackerBus.h"

#include "DebugPort.h"
#include "IniFile.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <thread>

namespace kvtracker {

TrackerBus::TrackerBus(HomeProvider home) : homeProvider_(std::move(home)) {}

TrackerBus::~TrackerBus()
{
    for (auto &device : devices_)
        unplug(*device);
}

void TrackerBus::unplug(Plugged &device)
{
    device.present = false;
    device.replies.clear();
    device.port.reset();
}

void TrackerBus::sync()
{
    const std::string home = homeProvider_();
    if (home != home_) {
        // Another home is another machine: nothing of the old one is plugged.
        for (auto &device : devices_)
            unplug(*device);
        devices_.clear();
        home_ = home;
    }
    const AttachedFolder folder(home_);
    const auto entries = folder.list();
    std::vector<std::shared_ptr<Plugged>> next;
    for (const auto &entry : entries) {
        const auto it = std::find_if(devices_.begin(), devices_.end(),
                                     [&](const auto &d) { return d->entry.fileName == entry.fileName; });
        if (it != devices_.end()) {
            next.push_back(*it);
            continue;
        }
        auto device = std::make_shared<Plugged>();
        device->entry = entry;
        device->id = nextDeviceId_++;
        Scenario scenario = entry.builtIn ? Scenario::fromIni(IniFile::parse(Scenario::defaultText()))
                                          : Scenario::fromFile(entry.path);
        const bool wantsPort = scenario.debugPort;
        device->tracker = std::make_unique<VirtualTracker>(std::move(scenario), home_);
        if (wantsPort) {
            device->port = DebugPort::open(home_, device->tracker->scenario().serial, entry.fileName);
            if (device->port) {
                DebugPort *port = device->port.get();
                device->tracker->setDebugSink([port](const std::string &line) { port->write(line); });
            }
        }
        next.push_back(std::move(device));
    }
    for (auto &device : devices_)
        if (std::find(next.begin(), next.end(), device) == next.end())
            unplug(*device);
    devices_ = std::move(next);
}

std::vector<TrackerBus::Listed> TrackerBus::list()
{
    std::lock_guard lock(mutex_);
    sync();
    std::vector<Listed> listed;
    for (const auto &device : devices_)
        listed.push_back({device->id, device->tracker->scenario().deviceName()});
    return listed;
}

BusResult TrackerBus::open(const std::string &name, HandleId &handle)
{
    std::lock_guard lock(mutex_);
    sync();
    for (const auto &device : devices_) {
        if (device->tracker->scenario().deviceName() == name) {
            handle = nextHandle_;
            nextHandle_ += 0x10;
            handles_[handle] = Handle{device, 500};
            return Ok;
        }
    }
    return NoSuchDevice;
}

BusResult TrackerBus::close(HandleId handle)
{
    std::lock_guard lock(mutex_);
    return handles_.erase(handle) ? Ok : InvalidHandle;
}

std::shared_ptr<TrackerBus::Plugged> TrackerBus::deviceOf(HandleId handle, BusResult &result)
{
    const auto it = handles_.find(handle);
    if (it == handles_.end()) {
        result = InvalidHandle;
        return nullptr;
    }
    auto device = it->second.device.lock();
    if (device && device->present && homeProvider_() == home_ && AttachedFolder(home_).isPresent(device->entry)) {
        result = Ok;
        return device;
    }
    if (device)
        unplug(*device);
    result = NoSuchDevice;
    return nullptr;
}

BusResult TrackerBus::setTimeouts(HandleId handle, std::uint32_t readMs, std::uint32_t)
{
    std::lock_guard lock(mutex_);
    const auto it = handles_.find(handle);
    if (it == handles_.end())
        return InvalidHandle;
    it->second.readTimeoutMs = readMs;
    return Ok;
}

BusResult TrackerBus::write(HandleId handle, const std::string &bytes)
{
    std::lock_guard lock(mutex_);
    BusResult result = Ok;
    const auto device = deviceOf(handle, result);
    if (!device)
        return result;
    if (bytes.empty())
        return Ok;
    auto answer = device->tracker->exchange(bytes);
    if (device->tracker->vanished()) {
        // As kvtracker unplug does: the scenario file goes, so every process
        // sees the tracker gone and the configurator gets its notice.
        if (!device->entry.path.empty()) {
            std::error_code ignored;
            std::filesystem::remove(device->entry.path, ignored);
        }
        unplug(*device);
        return NoSuchDevice;
    }
    if (answer) {
        const auto latency = std::chrono::milliseconds(device->tracker->scenario().latencyMs);
        device->replies.push_back({std::move(*answer), std::chrono::steady_clock::now() + latency});
    }
    device->silenceInstant = !device->tracker->silenceWaits();
    return Ok;
}

BusResult TrackerBus::read(HandleId handle, char *buffer, std::uint32_t capacity, std::uint32_t &bytesRead,
                           bool wholeReply)
{
    bytesRead = 0;
    std::unique_lock lock(mutex_);
    BusResult result = Ok;
    auto device = deviceOf(handle, result);
    if (!device)
        return result;
    const auto deadline = std::chrono::steady_clock::now()
                          + std::chrono::milliseconds(handles_[handle].readTimeoutMs);
    if (device->replies.empty()) {
        if (device->silenceInstant)
            return NothingArrived;
        // Nothing is coming: the read sits out its time-out, as the maker's
        // library does, with the bus free for other handles meanwhile.
        lock.unlock();
        std::this_thread::sleep_until(deadline);
        return NothingArrived;
    }
    const auto readyAt = device->replies.front().readyAt;
    if (readyAt > std::chrono::steady_clock::now()) {
        lock.unlock();
        std::this_thread::sleep_until(std::min(readyAt, deadline));
        lock.lock();
        device = deviceOf(handle, result);
        if (!device)
            return result;
        // A reply later than the time-out stays queued and turns up at the
        // next read, as a late reply from a real tracker does.
        if (device->replies.empty() || device->replies.front().readyAt > std::chrono::steady_clock::now())
            return NothingArrived;
    }
    Pending &front = device->replies.front();
    const std::size_t n = std::min<std::size_t>(front.bytes.size(), capacity);
    std::memcpy(buffer, front.bytes.data(), n);
    bytesRead = static_cast<std::uint32_t>(n);
    if (n < front.bytes.size()) {
        if (wholeReply) {
            device->replies.pop_front();
            return ReplyTruncated;
        }
        front.bytes.erase(0, n);
        return Ok;
    }
    device->replies.pop_front();
    return Ok;
}

BusResult TrackerBus::purge(HandleId handle)
{
    std::lock_guard lock(mutex_);
    BusResult result = Ok;
    const auto device = deviceOf(handle, result);
    if (!device)
        return result;
    device->replies.clear();
    return Ok;
}

} // namespace kvtracker
