#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "cquill/src/SocketBase.h"
#include "cquill/src/SocketEvent.h"
#include "cquill/src/SocketInterfaces.h"
#include "platform/wakeup.h"

namespace quill::net {

// A connection's send queue, its receive buffer that cuts the byte stream into packets by
// their 4-byte header, and its receive time-out.
//
// Two locks, always taken in this order: the state lock (re-entrant) is held by the worker
// for the reading and the writing part of a step and by client threads that close, connect
// or switch listeners, so the receive buffer, the handle and the listener never change
// under a running read or write; the send lock (re-entrant) guards the send queue between
// Send and OnSend. Listeners are never called with a lock held: events are recorded under
// the state lock and reported, on the same thread, once it is released (CStateGuard), so a
// listener may close, connect or send from inside any event and no client call waits for a
// listener running on another thread.
class CCommonSocket : public CSocketBase {
public:
    using TickFunction = std::uint32_t (*)();

    static constexpr std::uint32_t receiveCapacity = 81920;
    static constexpr std::uint32_t sendCapacity = 81920;
    static constexpr std::uint32_t maxBytesPerSend = 1024;
    static constexpr std::uint32_t defaultTimeoutSeconds = 50;

    explicit CCommonSocket(ISocketInterfaceFactory* factory);
    ~CCommonSocket() override;

    void Close() override;
    // 1 when the bytes were queued whole, 0 when refused; nothing is written here.
    int Send(const char* data, int length);
    // Writes up to 1024 queued bytes; on the worker thread when writable.
    void OnSend();
    // Reads once and delivers every complete packet; on the worker thread when readable.
    void OnReceive();
    // 1 when nothing was received for longer than the time-out since the last read.
    int IsTimeout();

    void SetTimeoutSeconds(std::uint32_t seconds);
    // Woken when there is new work for the worker: a send queued into an empty queue, a
    // connection attempt started, a time-out set.
    void SetWakeup(platform::CWakeup* wakeup) { wakeup_ = wakeup; }
    // Where the millisecond tick count comes from; tests step it by hand.
    void SetTickSource(TickFunction tickCount) { tickCount_ = tickCount; }

protected:
    // Holds the state lock; the thread's outermost guard reports the events recorded under
    // it after releasing the lock.
    class CStateGuard {
    public:
        explicit CStateGuard(CCommonSocket& socket);
        ~CStateGuard();
        CStateGuard(const CStateGuard&) = delete;
        CStateGuard& operator=(const CStateGuard&) = delete;

    private:
        CCommonSocket& socket_;
    };

    virtual void OnClose();
    // Records a listener call; the state lock is held.
    void Report(CSocketEvent event);
    // What keeps the listener alive while events are reported outside the lock.
    virtual std::shared_ptr<void> ListenerOwner() const { return nullptr; }
    // IsTimeout without its log line.
    bool TimedOut() const;
    bool HasQueuedBytes();
    void WakeWorker();
    // Counts closes and connection attempts, so that events of a connection that was
    // closed or replaced before they were reported are dropped.
    std::uint64_t Generation() const { return generation_; }

    std::atomic<std::uint64_t> generation_ = 0;
    ISocketInterfaceFactory* factory_;
    ISocketListener* listener_;

private:
    // Events of one outermost hold of the state lock, with the listener they go to.
    struct CEventBatch {
        std::vector<CSocketEvent> events;
        ISocketListener* listener = nullptr;
        std::shared_ptr<void> listenerOwner;
        std::uint64_t generation = 0;
    };

    void CutPackets();
    void Unlock();
    void Deliver(const CEventBatch& batch);
    void Deliver(const CEventBatch& batch, const CSocketEvent& event);
    void DeliverPackets(const CEventBatch& batch, const std::vector<char>& packets);

    std::recursive_mutex stateLock_;
    // Both under the state lock.
    int lockDepth_ = 0;
    std::vector<CSocketEvent> pending_;

    std::atomic<std::uint32_t> timeoutSeconds_ = defaultTimeoutSeconds;
    // 0 = nothing received since the socket was last closed.
    std::atomic<std::uint32_t> lastReceive_ = 0;
    std::atomic<TickFunction> tickCount_;
    std::atomic<platform::CWakeup*> wakeup_ = nullptr;

    std::recursive_mutex sendLock_;
    std::unique_ptr<char[]> sendQueue_;
    std::uint32_t sendFill_ = 0;

    std::unique_ptr<char[]> receiveBuffer_;
    std::uint32_t receiveFill_ = 0;
};

}  // namespace quill::net
