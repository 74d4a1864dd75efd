#pragma once

// Public interface of libcquill.so, compiled by the library and by the client. The client
// loads the library, binds the exported functions by name and derives its listener and
// field classes from the classes below.

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "cquill_bstream.h"
#include "cquill_export.h"
#include "cquill_sdr.h"

namespace varo {
class Field;
struct Packet;
}  // namespace varo

// What the library needs of a message to send it. The base operations do nothing.
class CQUILL_CLASS IMessage {
public:
    // Fixed underlying type: a value outside the list is legal and means CompressNever.
    enum CompressFlagEnum : int {
        CompressNever = 0,
        CompressIfLarge = 1,  // when the encoded body is 10240 bytes or more
        CompressAlways = 2,
    };

    IMessage() = default;
    IMessage(const IMessage&) = default;
    IMessage& operator=(const IMessage&) = default;

    virtual void SetVersion(unsigned char) {}
    virtual void SetTid(unsigned int) {}
    virtual void SetChain(unsigned char) {}
    virtual void SetSequenceNumber(int) {}
    virtual void AddField(std::shared_ptr<varo::Field>) {}
    virtual void ClearFields() {}
    virtual void SetCompressFlag(CompressFlagEnum) {}

protected:
    // Messages are never destroyed through this interface.
    ~IMessage() = default;
};

namespace varo {

// One protocol body; the client derives one class per protocol id.
class CQUILL_CLASS Field {
public:
    virtual void Encode(bostream& stream) = 0;
    // Must read exactly the bytes Encode wrote: the library does not bound it.
    virtual void Decode(bistream& stream) = 0;
    virtual uint32_t GetPid() = 0;
    virtual ~Field() = default;
};

// Makes a new, empty field of one protocol; null when it cannot.
using FieldCreator = std::function<Field*()>;

class CQUILL_CLASS Message : public IMessage {
public:
    Message() = default;
    Message(const Message&) = default;
    Message& operator=(const Message&) = default;
    // Placed after IMessage's slots, so the interface's layout stays as it is.
    virtual ~Message() = default;

    void SetVersion(unsigned char value) override { version = value; }
    void SetTid(unsigned int value) override { tid = value; }
    void SetChain(unsigned char value) override { chain = value; }
    void SetSequenceNumber(int value) override { sequenceNumber = static_cast<uint32_t>(value); }
    void AddField(std::shared_ptr<Field> field) override { fields.push_back(std::move(field)); }
    void ClearFields() override { fields.clear(); }
    void SetCompressFlag(CompressFlagEnum value) override { compressFlag = value; }

    // The message encoding without the packet envelope.
    CQUILL_INTERNAL void Encode(bostream& stream) const;
    CQUILL_INTERNAL void Decode(bistream& stream);
    // The whole packet for packet.message, written from the start of the stream.
    CQUILL_INTERNAL static void compress(bostream& stream, Packet& packet);
    // One packet from the stream's cursor, decoded into packet.message.
    CQUILL_INTERNAL static void uncompress(bistream& stream, Packet& packet);

    std::vector<std::shared_ptr<Field>> fields;
    uint8_t version = 0x11;
    uint32_t tid = 0;
    uint8_t chain = 0x53;
    uint16_t extra1 = 0;
    uint32_t sequenceNumber = 0;
    uint16_t extra2 = 0;
    CompressFlagEnum compressFlag = CompressNever;
};

}  // namespace varo

class INetworkListener;

// One connection to a game server, owned by the library.
class CQUILL_CLASS INetwork {
public:
    INetwork() = default;
    INetwork(const INetwork&) = default;
    INetwork& operator=(const INetwork&) = default;
    virtual ~INetwork() = default;

    // 0x103.
    virtual int GetInterfaceVersion() = 0;
    // Call before Connect. With runInMainThread, call it on the thread that will run
    // DispatchNetworkMessages: events reach the listener there and nowhere else.
    virtual void Initialize(INetworkListener* listener, bool runInMainThread) = 0;
    // ip is a dotted IPv4 address ("127.0.0.1"); host names are not resolved. 1 when an
    // attempt was started (0->1), 0 when already connecting or connected, or out of sockets.
    virtual int Connect(const char* ip, unsigned short port) = 0;
    // Ends a connection or an attempt with 2->0 (from status 1 too); nothing when closed.
    virtual void Close() = 0;
    // 1 when the packet was queued, 0 otherwise (a timed-out connection is closed first);
    // the message stays the caller's.
    virtual int SendMessage(IMessage* message) = 0;
    // 0 disconnected, 1 connecting, 2 connected.
    virtual int GetStatus() = 0;
    // Receive time-out (default 50 s), counted from the last read; 0 is ignored.
    virtual void SetTimeout(unsigned short seconds) = 0;
    // True when the receive time-out has passed; then closes a connection when asked to.
    virtual bool CheckTimeout(bool closeIfTimedOut) = 0;
};

// Implemented by the client; must outlive the INetwork it is given to. From inside any of
// these calls the listener may call Close, Connect and SendMessage on the network, but not
// Initialize or ReleaseNetworkInterface.
// Threads: in worker mode the calls come on the network's worker thread, except a status
// change that a client call causes itself: 0->1 from Connect, and 2->0 from Close,
// CheckTimeout(true) or a SendMessage that closes, arrive on the calling thread before the
// call returns. In main-thread mode every call arrives inside DispatchNetworkMessages.
class CQUILL_CLASS INetworkListener {
public:
    INetworkListener() = default;
    INetworkListener(const INetworkListener&) = default;
    INetworkListener& operator=(const INetworkListener&) = default;
    virtual ~INetworkListener() = default;

    // After each write to the socket, with the bytes written.
    virtual void OnSendData(INetwork*, int) {}
    // The message belongs to the library and dies when the call returns. The result is
    // not used: return 0.
    virtual int OnReceiveMessage(INetwork* network, IMessage* message) = 0;
    // 0->1 attempt started, 1->2 connected, 2->0 closed. A failed attempt (a refused one,
    // say) reports 1->0 and then 2->0 as its socket closes.
    virtual void OnStatusChanged(INetwork* network, int from, int to) = 0;
};

extern "C" {

// Always 2.
CQUILL_API int GetNetworkDLLVersion();
// Registers the creator of the fields of one protocol id, replacing an earlier one.
CQUILL_API bool RegisterProtocal(unsigned int pid, varo::FieldCreator creator);
// A new connection object; end it with ReleaseNetworkInterface, once per call.
CQUILL_API INetwork* CreateNetworkInterface();
// Destroys *network (when both are non-null) and sets *network to null.
CQUILL_API void ReleaseNetworkInterface(INetwork** network);

// Main-thread mode (Initialize(listener, true)) delivers every listener call on the thread
// that called Initialize, and only while that thread runs these:
//
// Delivers, on the calling thread, every event waiting for its connections. When none is
// waiting, first waits up to waitMilliseconds for one (0: does not wait). Returns how many
// events it delivered.
CQUILL_API int DispatchNetworkMessages(int waitMilliseconds);
// A descriptor that is readable while the calling thread has events waiting, for the
// client's own poll or epoll loop; call DispatchNetworkMessages(0) when it is. It belongs
// to the library: do not close it or read from it. -1 when the thread has none.
CQUILL_API int GetNetworkMessageFd();

}  // extern "C"

// Signatures for binding the exports by name.
using GetNetworkDLLVersionFunction = int (*)();
using RegisterProtocalFunction = bool (*)(unsigned int, varo::FieldCreator);
using CreateNetworkInterfaceFunction = INetwork* (*)();
using ReleaseNetworkInterfaceFunction = void (*)(INetwork**);
using DispatchNetworkMessagesFunction = int (*)(int);
using GetNetworkMessageFdFunction = int (*)();
