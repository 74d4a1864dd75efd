#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include "cquill/src/SocketBase.h"
#include "cquill/src/SocketInterfaces.h"

namespace quill::net {

// A connection's send queue, its receive buffer that cuts the byte stream into packets by
// their 4-byte header, and its receive time-out.
//
// Two locks, always taken in this order: the state lock (re-entrant) is held by the worker
// for a whole step and by client threads that close, connect or switch listeners, so the
// receive buffer, the handle and the listener never change under a running step; the send
// lock (re-entrant) guards the send queue between Send and OnSend. Listeners are called with
// these locks held, so they may close, connect or send from inside any event.
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

    void SetTimeoutSeconds(std::uint32_t seconds) { timeoutSeconds_ = seconds; }
    // Where the millisecond tick count comes from; tests step it by hand.
    void SetTickSource(TickFunction tickCount) { tickCount_ = tickCount; }

protected:
    virtual void OnClose();
    // Counts closes, so that a step can tell that a listener closed or reconnected the
    // socket while it was being called.
    std::uint64_t Generation() const { return generation_; }

    std::recursive_mutex stateLock_;
    ISocketInterfaceFactory* factory_;
    ISocketListener* listener_;

private:
    void DeliverPackets();

    std::atomic<std::uint32_t> timeoutSeconds_ = defaultTimeoutSeconds;
    // 0 = nothing received since the socket was last closed.
    std::atomic<std::uint32_t> lastReceive_ = 0;
    std::atomic<TickFunction> tickCount_;
    std::atomic<std::uint64_t> generation_ = 0;

    std::recursive_mutex sendLock_;
    std::unique_ptr<char[]> sendQueue_;
    std::uint32_t sendFill_ = 0;

    std::unique_ptr<char[]> receiveBuffer_;
    std::uint32_t receiveFill_ = 0;
};

}  // namespace quill::net
