#include "device/DeviceLink.h"

#include "device/ReplySplit.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace kvmt {

DeviceLink::DeviceLink(DeviceLibrary &library, const MonotonicClock &clock)
    : m_library(library)
    , m_clock(clock)
{
}

int DeviceLink::countDevices(uint32_t *count)
{
    *count = 0;
    if (!m_library.isLoaded())
        return -1;
    return m_library.api().getListDevices(KVUSB_FLAGS, nullptr, count);
}

int DeviceLink::listDevices(QList<QByteArray> *names)
{
    names->clear();
    uint32_t count = 0;
    int result = countDevices(&count);
    if (result != 0 || count == 0)
        return result;
    std::vector<char> list(size_t(count) * KVUSB_LIST_ENTRY_SIZE, '\0');
    uint32_t filled = count;
    result = m_library.api().getListDevices(KVUSB_FLAGS, list.data(), &filled);
    if (result != 0)
        return result;
    // A library may report more entries than the buffer it was given holds.
    filled = std::min(filled, count);
    for (uint32_t i = 0; i < filled; ++i) {
        const char *name = list.data() + size_t(i) * KVUSB_LIST_ENTRY_SIZE + KVUSB_LIST_NAME_OFFSET;
        constexpr size_t nameSpace = KVUSB_LIST_ENTRY_SIZE - KVUSB_LIST_NAME_OFFSET;
        names->append(QByteArray(name, qsizetype(strnlen(name, nameSpace))));
    }
    return 0;
}

int DeviceLink::openDevice(const QByteArray &name)
{
    if (!m_library.isLoaded())
        return -1;
    // The monitor re-opens a connected tracker at every run; each handle
    // left open would hold the driver's resources until the program ends,
    // and a driver that opens a device only once would refuse the new one.
    closeDevice();
    RW_HANDLE handle = nullptr;
    const int result = m_library.api().openDevice(KVUSB_FLAGS, name.constData(), &handle);
    if (result != 0)
        return result;
    m_handle = handle;
    m_library.api().setTimeouts(m_handle, kReadTimeoutMs, kWriteTimeoutMs);
    return 0;
}

void DeviceLink::setTimeouts(uint32_t readMs, uint32_t writeMs)
{
    if (ready())
        m_library.api().setTimeouts(m_handle, readMs, writeMs);
}

void DeviceLink::closeDevice()
{
    if (m_library.isLoaded() && m_handle)
        m_library.api().closeDevice(&m_handle);
    // Whatever the library did with it, the handle is gone for us.
    m_handle = nullptr;
}

void DeviceLink::sendCommand(const QByteArray &command)
{
    if (!ready())
        return;
    uint32_t written = 0;
    const RW_HANDLE handle = m_handle;
    const DeviceApi &api = m_library.api();
    wait([&] { api.write(handle, command.constData(), uint32_t(command.size()), &written); });
}

bool DeviceLink::wait(const std::function<void()> &call)
{
    // An exchange started from whatever the wait let run would interleave
    // its bytes with the one under way: it fails as a missing reply would.
    if (m_waiting)
        return false;
    m_waiting = true;
    if (m_waiter)
        m_waiter(call);
    else
        call();
    m_waiting = false;
    return true;
}

std::optional<DeviceLink::Claim> DeviceLink::claim(bool stoppable)
{
    if (m_claimed || m_waiting)
        return std::nullopt;
    setClaim(true, stoppable);
    return Claim(this);
}

void DeviceLink::setClaim(bool claimed, bool stoppable)
{
    const bool changed = claimed != m_claimed || stoppable != m_stoppable;
    m_claimed = claimed;
    m_stoppable = claimed && stoppable;
    if (changed && m_claimChanged)
        m_claimChanged();
}

DeviceLink::Claim::Claim(DeviceLink *link)
    : m_link(link)
{
}

DeviceLink::Claim::Claim(Claim &&other) noexcept
    : m_link(std::exchange(other.m_link, nullptr))
{
}

DeviceLink::Claim::~Claim()
{
    if (m_link)
        m_link->setClaim(false, false);
}

void DeviceLink::Claim::setStoppable(bool stoppable)
{
    if (m_link)
        m_link->setClaim(true, stoppable);
}

int DeviceLink::readOnce(QByteArray *into)
{
    into->clear();
    if (!ready())
        return -1;
    std::vector<char> buffer(kReadCapacity + 1, '\0');
    uint32_t bytesRead = 0;
    int result = 0;
    const RW_HANDLE handle = m_handle;
    const DeviceApi &api = m_library.api();
    if (!wait([&] { result = api.readNotTimeOut(handle, buffer.data(), kReadCapacity, &bytesRead); }))
        return -1;
    // Never trust a count beyond what we offered.
    bytesRead = std::min(bytesRead, kReadCapacity);
    into->append(buffer.data(), qsizetype(bytesRead));
    return result;
}

int DeviceLink::receiveReply()
{
    const qint64 start = m_clock.nowMs();
    m_replyKey.clear();
    m_replyValue.clear();
    readOnce(&m_replyBuffer);
    if (m_replyBuffer.isEmpty()) {
        const qint64 waited = m_clock.nowMs() - start;
        return (waited >= 1 && waited <= kMaxReportedWaitMs) ? int(waited) : -1;
    }
    SplitReply split = splitReply(m_replyBuffer);
    m_replyKey = std::move(split.key);
    m_replyValue = std::move(split.value);
    return 0;
}

int DeviceLink::receiveRaw()
{
    m_replyKey.clear();
    m_replyValue.clear();
    QByteArray reply;
    const int result = readOnce(&reply);
    if (reply.isEmpty()) {
        // Nothing arrived: never success, even from a library that says 0,
        // or a poll would take the previous reply for a new one.
        return result != 0 ? result : -1;
    }
    m_rawReply = std::move(reply);
    return 0;
}

} // namespace kvmt
