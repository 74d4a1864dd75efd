#include "Connection.h"

#include <chrono>
#include <thread>

#include "MessageText.h"
#include "PacketCodec.h"
#include "Report.h"
#include "cquill/src/Packet.h"
#include "platform/testing/loopback_socket.h"

namespace test_server {

Connection::Connection(platform::testing::SocketHandle socket, int number, const std::vector<Step>& steps)
    : socket_(socket), number_(number), steps_(steps)
{
}

Connection::~Connection()
{
    platform::testing::CloseSocket(socket_);
    Say("closed");
}

void Connection::Run()
{
    Say("connection");
    for (const Step& step : steps_)
        if (!Perform(step))
            return;
    Read(0);
}

bool Connection::Perform(const Step& step)
{
    switch (step.kind) {
    case Step::Echo:
        return Echo(step.count);
    case Step::Read:
        return Read(step.count);
    case Step::Write:
        return Write(step.bytes);
    case Step::WriteSplit:
        return WriteSplit(step.bytes);
    case Step::Wait:
        std::this_thread::sleep_for(std::chrono::milliseconds(step.count));
        return true;
    case Step::Close:
        return false;
    case Step::Silent:
        return Read(0);
    case Step::NoRead:
        return HoldUnread();
    }
    return false;
}

bool Connection::Echo(unsigned long count)
{
    std::string packet;
    for (unsigned long i = 0; count == 0 || i < count; ++i) {
        if (!ReadPacket(packet))
            return false;
        Answer(packet);
    }
    return true;
}

bool Connection::Read(unsigned long count)
{
    std::string packet;
    for (unsigned long i = 0; count == 0 || i < count; ++i)
        if (!ReadPacket(packet))
            return false;
    return true;
}

// A packet the codec refuses is dropped, as the library drops it, and the connection goes on.
void Connection::Answer(const std::string& packet)
{
    try {
        varo::Message echo = EchoOf(DecodePacket(packet));
        Write(EncodePacket(echo));
    } catch (const my_exception& failure) {
        Say("undecodable", failure.operation + ": " + failure.reason);
    }
}

bool Connection::Write(const std::string& bytes)
{
    return platform::testing::SendAll(socket_, bytes);
}

bool Connection::WriteSplit(const std::string& bytes)
{
    for (char byte : bytes) {
        if (!Write(std::string(1, byte)))
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(splitPauseMs));
    }
    return true;
}

// Waits for the peer's hang-up without taking a byte, so whatever it sends stays queued.
bool Connection::HoldUnread()
{
    platform::testing::WaitPeerHangUp(socket_);
    Say("peer-closed");
    return false;
}

bool Connection::ReadPacket(std::string& packet)
{
    packet.clear();
    if (!ReadExactly(packet, varo::packetHeaderLength))
        return false;
    bistream header(packet.data(), varo::packetHeaderLength);
    unsigned char kind = 0;
    unsigned char optionsLength = 0;
    short bodyLength = 0;
    header.read(kind);
    header.read(optionsLength);
    header >> bodyLength;
    if (bodyLength < 0) {
        Say("undecodable", "negative body length " + std::to_string(bodyLength));
        return false;
    }
    if (!ReadExactly(packet, packet.size() + optionsLength + static_cast<std::size_t>(bodyLength)))
        return false;
    Say("received", FormatHex(packet));
    return true;
}

bool Connection::ReadExactly(std::string& into, std::size_t count)
{
    while (into.size() < count) {
        char buffer[4096];
        const auto got = platform::testing::ReceiveBytes(socket_, buffer, std::min(sizeof buffer, count - into.size()));
        if (got <= 0) {
            Say("peer-closed");
            return false;
        }
        into.append(buffer, static_cast<std::size_t>(got));
    }
    return true;
}

void Connection::Say(const std::string& event, const std::string& detail) const
{
    Report(event + " " + std::to_string(number_) + (detail.empty() ? "" : " " + detail));
}

}  // namespace test_server
