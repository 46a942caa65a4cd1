#pragma once

#include <QByteArray>
#include <QList>

#include <functional>
#include <optional>

#include "device/CommandChannel.h"
#include "device/DeviceLibrary.h"
#include "device/MonotonicClock.h"

namespace kvmt {

// The open tracker and the command exchange with it: one command written, one
// reply read and split into key and value. Every caller formats its own
// command and interprets replyKey()/replyValue() right after its exchange.
//
// Failures are values, never exceptions: a write that could not be made shows
// only as a missing reply, exactly as a tracker that did not answer.
class DeviceLink : public CommandChannel
{
public:
    // Capacity passed to every read; the reply buffers hold one byte more.
    static constexpr uint32_t kReadCapacity = 539;
    static constexpr uint32_t kReadTimeoutMs = 500;
    static constexpr uint32_t kWriteTimeoutMs = 500;
    // Failure codes of receiveReply count the milliseconds the read waited,
    // within this range; anything else is reported as -1.
    static constexpr qint64 kMaxReportedWaitMs = 10000;

    DeviceLink(DeviceLibrary &library, const MonotonicClock &clock);

    DeviceLibrary &library() { return m_library; }

    // How a command's write and its reply's read are waited for. Without
    // one they run right here; the window hands them to a worker thread and
    // keeps painting meanwhile (see TurningWaiter). Calls still run one at a
    // time and in order.
    using Waiter = std::function<void(const std::function<void()> &call)>;
    void setWaiter(Waiter waiter) { m_waiter = std::move(waiter); }
    // True while a write or read is being waited for: whatever the wait lets
    // run meanwhile (timers, repaints) must not start an exchange of its own.
    bool isWaiting() const { return m_waiting; }

    // A sequence's hold on the link: identification and read, Save, a
    // profile change, a test's start or poll, a console command, a password
    // action. One at a time: while one holds the link, or an exchange is
    // waited for, claim() refuses, whoever asks (a timer, an accessibility
    // action pressing a button, a box's modal loop). Released when it goes.
    class Claim
    {
    public:
        Claim(Claim &&other) noexcept;
        Claim &operator=(Claim &&) = delete;
        Claim(const Claim &) = delete;
        ~Claim();
        // A sequence that looks at the stop request between its exchanges:
        // the window offers Stop while it runs.
        void setStoppable(bool stoppable);

    private:
        friend class DeviceLink;
        explicit Claim(DeviceLink *link);
        DeviceLink *m_link;
    };
    [[nodiscard]] std::optional<Claim> claim(bool stoppable = false);
    bool isClaimed() const { return m_claimed; }
    // True while the sequence holding the link would end on a stop request.
    bool isStoppableRunning() const { return m_claimed && m_stoppable; }
    // Told whenever isClaimed() or isStoppableRunning() changes.
    void setClaimChanged(std::function<void()> changed) { m_claimChanged = std::move(changed); }

    // Listing and opening, for the connection monitor. Each returns the
    // library's result (0 = success); with no library loaded, -1.
    int countDevices(uint32_t *count);
    int listDevices(QList<QByteArray> *names);
    // Opens the named tracker, closing the handle held before; on success
    // the read and write time-outs are set. A failed open leaves no handle:
    // the connection monitor then takes the tracker for lost.
    int openDevice(const QByteArray &name);
    void closeDevice();
    bool hasHandle() const { return m_handle != nullptr; }
    RW_HANDLE handle() const { return m_handle; }
    // The library's read and write time-outs for the open handle, until the
    // next open sets the usual ones again.
    void setTimeouts(uint32_t readMs, uint32_t writeMs);

    void sendCommand(const QByteArray &command) override;
    // 0 after a reply arrived; otherwise a non-zero code (see kMaxReportedWaitMs).
    int receiveReply() override;
    // Unsplit read for the test polls: 0 after a reply; otherwise non-zero and
    // rawReply() keeps the previous reply.
    int receiveRaw();

    const QByteArray &replyBuffer() const { return m_replyBuffer; }
    const QByteArray &rawReply() const { return m_rawReply; }
    const QByteArray &replyKey() const override { return m_replyKey; }
    const QByteArray &replyValue() const override { return m_replyValue; }
    // The profile-file lookup delivers its value through the same field.
    void setReplyValue(const QByteArray &value) override { m_replyValue = value; }

private:
    bool ready() const { return m_library.isLoaded() && m_handle; }
    // One read of at most kReadCapacity bytes; returns the library's result.
    int readOnce(QByteArray *into);
    // False, with nothing run, for a call made inside another's wait.
    bool wait(const std::function<void()> &call);
    void setClaim(bool claimed, bool stoppable);

    DeviceLibrary &m_library;
    const MonotonicClock &m_clock;
    RW_HANDLE m_handle = nullptr;
    QByteArray m_replyBuffer;
    QByteArray m_rawReply;
    QByteArray m_replyKey;
    QByteArray m_replyValue;
    Waiter m_waiter;
    bool m_waiting = false;
    bool m_claimed = false;
    bool m_stoppable = false;
    std::function<void()> m_claimChanged;
};

} // namespace kvmt
