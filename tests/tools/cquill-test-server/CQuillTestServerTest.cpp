#include <zlib.h>

#include <gtest/gtest.h>

#include "platform/testing/loopback_socket.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ClientTree.h"
#include "tests/support/Deflated.h"
#include "tests/support/GameTestServer.h"
#include "tests/support/TempDir.h"

using testing_support::Deflated;
using testing_support::GameTestServer;

namespace {

std::string Bytes(const std::string& hex)
{
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 3)
        bytes.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

std::string Lowercase(std::string hex)
{
    std::erase(hex, ' ');
    for (char& c : hex)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return hex;
}

// version 0x11, tid 1, chain 0x53, seq 7, one field of pid 1001 with body "AB".
const std::string examplePacketHex = "09 00 00 18 11 00 00 00 01 53 00 00 00 00 00 07 00 01 00 00 00 00 03 E9 00 02 41 42";
const std::string examplePacket = Bytes(examplePacketHex);

// A plain TCP client of the test's own.
class Client {
public:
    explicit Client(std::uint16_t port) : socket_(platform::testing::ConnectLoopback(port))
    {
        if (socket_ == platform::testing::kNoSocket)
            throw std::runtime_error("cannot connect to the test server");
    }
    ~Client() { Close(); }

    void Send(const std::string& bytes) { ASSERT_TRUE(platform::testing::SendAll(socket_, bytes)); }

    // Up to `count` bytes; fewer when the server closes or nothing comes for two seconds.
    std::string Receive(std::size_t count = SIZE_MAX)
    {
        std::string bytes;
        char buffer[65536];
        while (bytes.size() < count && WaitReadable(2000)) {
            const auto got = platform::testing::ReceiveBytes(socket_, buffer, std::min(sizeof buffer, count - bytes.size()));
            if (got <= 0)
                break;
            bytes.append(buffer, static_cast<std::size_t>(got));
            ++reads;
        }
        return bytes;
    }

    bool WaitReadable(int milliseconds) { return platform::testing::WaitReadable(socket_, milliseconds); }

    void Close()
    {
        if (socket_ != platform::testing::kNoSocket)
            platform::testing::CloseSocket(socket_);
        socket_ = platform::testing::kNoSocket;
    }

    int reads = 0;

private:
    platform::testing::SocketHandle socket_ = platform::testing::kNoSocket;
};

std::string CompressedPacket(const std::string& body)
{
    return Bytes("09 03 ") + static_cast<char>(body.size() >> 8) + static_cast<char>(body.size() & 0xFF) + Bytes("02 01 03 ") + body;
}

}  // namespace

TEST(CQuillTestServer, EchoesKnownFieldsByteForByteAndSkipsUnknownOnes)
{
    GameTestServer server({"--pids", "1001", "echo"});
    Client client(server.Port());
    client.Send(examplePacket);
    EXPECT_EQ(client.Receive(examplePacket.size()), examplePacket);
    EXPECT_TRUE(server.WaitForEvent("received 1 " + Lowercase(examplePacketHex)));

    // The same message with a second field of pid 1002, which the server was not told of.
    client.Send(Bytes("09 00 00 1F 11 00 00 00 01 53 00 00 00 00 00 07 00 02 00 00 00 00 03 E9 00 02 41 42 00 00 03 EA 00 01 43 "));
    EXPECT_EQ(client.Receive(examplePacket.size()), examplePacket);
}

TEST(CQuillTestServer, EchoesACompressedMessageCompressedAndDropsAnUndecodableOne)
{
    GameTestServer server({"--pids", "1001", "echo"});
    Client client(server.Port());
    client.Send(CompressedPacket("not zlib"));
    EXPECT_TRUE(server.WaitForEvent("undecodable 1 Message::uncompress: Data Error"));

    const std::string compressed = CompressedPacket(Deflated(examplePacket.substr(4)));
    client.Send(compressed);
    EXPECT_EQ(client.Receive(compressed.size()), compressed);
}

TEST(CQuillTestServer, ClosesOnANegativeBodyLength)
{
    GameTestServer server({"echo"});
    Client client(server.Port());
    client.Send(Bytes("09 00 80 00 "));
    EXPECT_EQ(client.Receive(), "");
    EXPECT_TRUE(server.WaitForEvent("undecodable 1 negative body length -32768"));
    EXPECT_TRUE(server.WaitForEvent("closed 1"));
}

TEST(CQuillTestServer, SendsScriptedPacketsInOneWriteThenOneByteAPerWrite)
{
    GameTestServer server({"send=tid=1,seq=7,1001:4142/chain=0x54,1002*3", "split=tid=1,seq=7,1001:4142", "close"});
    Client client(server.Port());
    const std::string second = Bytes("09 00 00 19 11 00 00 00 00 54 00 00 00 00 00 00 00 01 00 00 00 00 03 EA 00 03 00 01 02 ");
    EXPECT_EQ(client.Receive(examplePacket.size() + second.size()), examplePacket + second);
    EXPECT_EQ(client.reads, 1);

    EXPECT_EQ(client.Receive(), examplePacket);
    EXPECT_GT(client.reads, 2);
    EXPECT_TRUE(server.WaitForEvent("closed 1"));
}

TEST(CQuillTestServer, SendsRawBytesAndABodyThatInflatesTo33MB)
{
    GameTestServer server({"raw=09008000", "inflate=33000000", "close"});
    Client client(server.Port());
    EXPECT_EQ(client.Receive(4), Bytes("09 00 80 00 "));

    const std::string packet = client.Receive();
    ASSERT_GT(packet.size(), 7u);
    EXPECT_EQ(packet.substr(0, 2), Bytes("09 03 "));
    EXPECT_EQ(packet.substr(4, 3), Bytes("02 01 03 "));
    const std::size_t bodyLength = static_cast<unsigned char>(packet[2]) << 8 | static_cast<unsigned char>(packet[3]);
    ASSERT_LT(bodyLength, 0x8000u);
    ASSERT_EQ(packet.size(), 7 + bodyLength);
    std::string plain(33000001, '\1');
    uLongf plainLength = plain.size();
    ASSERT_EQ(uncompress(reinterpret_cast<Bytef*>(plain.data()), &plainLength, reinterpret_cast<const Bytef*>(packet.data() + 7),
                         bodyLength),
              Z_OK);
    plain.resize(plainLength);
    EXPECT_EQ(plain, std::string(33000000, '\0'));
}

TEST(CQuillTestServer, SilentReadsWithoutAnsweringAndNoReadNeverReads)
{
    GameTestServer silent({"silent"});
    Client silentClient(silent.Port());
    silentClient.Send(examplePacket);
    EXPECT_TRUE(silent.WaitForEvent("received 1 " + Lowercase(examplePacketHex)));
    EXPECT_FALSE(silentClient.WaitReadable(200));
    silentClient.Close();
    EXPECT_TRUE(silent.WaitForEvent("peer-closed 1"));

    GameTestServer deaf({"noread"});
    Client deafClient(deaf.Port());
    deafClient.Send(examplePacket);
    EXPECT_TRUE(deaf.WaitForEvent("connection 1"));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    deafClient.Close();
    EXPECT_TRUE(deaf.WaitForEvent("peer-closed 1"));
    EXPECT_EQ(deaf.Events().find("received"), std::string::npos);
}

TEST(CQuillTestServer, RunsAScriptFileOnEveryConnectionFromTheStart)
{
    testing_support::TempDir temp;
    const auto script = temp.Path() / "script.txt";
    testing_support::WriteFileBytes(script, "# greet, then hang up\n\n  send=tid=1,seq=7,1001:4142  \nclose\n");
    GameTestServer server({"--script", script.string()});
    for (int connection = 1; connection <= 2; ++connection) {
        Client client(server.Port());
        EXPECT_EQ(client.Receive(), examplePacket);
        EXPECT_TRUE(server.WaitForEvent("closed " + std::to_string(connection)));
    }
}

TEST(CQuillTestServer, TakesThePortAskedForWhileClosedConnectionsLinger)
{
    std::uint16_t port = 0;
    {
        GameTestServer first({"close"});
        port = first.Port();
        Client client(port);
        EXPECT_TRUE(first.WaitForEvent("closed 1"));
    }
    GameTestServer second({"--port", std::to_string(port), "send=tid=1,seq=7,1001:4142", "close"});
    EXPECT_EQ(second.Port(), port);
    EXPECT_EQ(Client(port).Receive(), examplePacket);
}

TEST(CQuillTestServer, RefusesBadStepsWithTheirReason)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"bogus", "unknown step: bogus"},
        {"send=1001:414", "odd number of hexadecimal digits: 414"},
        {"send=tid=4294967296", "not a number up to 4294967295: 4294967296"},
        {"inflate=34603008", "more than 32767"},
    };
    for (const auto& [step, reason] : cases) {
        testing_support::ChildOptions options;
        options.arguments = {step};
        testing_support::ChildProcess child(TEST_BIN_DIR "/cquill-test-server", options);
        ASSERT_TRUE(child.Wait());
        EXPECT_EQ(child.ExitCode(), 2) << step;
        EXPECT_NE(child.Stderr().find(reason), std::string::npos) << child.Stderr();
        EXPECT_NE(child.Stderr().find("usage: cquill-test-server"), std::string::npos);
    }
}
