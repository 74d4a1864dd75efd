// Usage: cquill-test-client <path of libcquill.so> [<port>]
// Binds the exports by name, registers its protocols and checks that its field classes
// frame and read their bodies through the header's streams. Prints one line per check;
// exits 0 when every check passed. With a port, it then talks to the game server on
// 127.0.0.1:<port> in main-thread mode: sends a chat line and a position, and prints every
// event until both come back.

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/program_entry.h"
#include "cquill.h"
#include "platform/testing/loaded_module.h"

namespace {

// A chat line: 16-bit length, then the bytes.
class ChatField : public varo::Field {
public:
    static constexpr uint32_t pid = 1001;

    void Encode(bostream& stream) override
    {
        stream << static_cast<unsigned short>(text.size());
        stream.write(text.data(), static_cast<unsigned int>(text.size()));
    }
    void Decode(bistream& stream) override
    {
        unsigned short length = 0;
        stream >> length;
        text.resize(length);
        for (char& byte : text)
            stream.read(byte);
    }
    uint32_t GetPid() override { return pid; }

    std::string text;
};

class PositionField : public varo::Field {
public:
    static constexpr uint32_t pid = 1002;

    void Encode(bostream& stream) override { stream << x << y << z; }
    void Decode(bistream& stream) override { stream >> x >> y >> z; }
    uint32_t GetPid() override { return pid; }

    unsigned int x = 0;
    unsigned int y = 0;
    short z = 0;
};

int failures = 0;

void Check(bool passed, const char* what)
{
    std::printf("%s %s\n", passed ? "ok" : "FAILED", what);
    failures += passed ? 0 : 1;
}

template <class Function>
Function Bind(const platform::testing::CLoadedModule& library, const char* name)
{
    return reinterpret_cast<Function>(library.Symbol(name));
}

void CheckFieldFraming()
{
    char buffer[64];
    bostream out(buffer, sizeof buffer);
    ChatField chat;
    chat.text = "hello";
    PositionField position;
    position.x = 70000;
    position.y = 3;
    position.z = -5;
    chat.Encode(out);
    position.Encode(out);
    Check(out.offset() == 2 + 5 + 10, "fields encode through the header's streams");

    bistream in(buffer, out.offset());
    ChatField chatCopy;
    PositionField positionCopy;
    chatCopy.Decode(in);
    positionCopy.Decode(in);
    Check(chatCopy.text == "hello" && positionCopy.x == 70000 && positionCopy.z == -5, "fields decode what they encoded");

    try {
        PositionField tooMuch;
        bistream shortInput(buffer, 3);
        tooMuch.Decode(shortInput);
        Check(false, "a short body throws");
    } catch (const bstream_overflow& failure) {
        Check(failure.reason == "not enough data in buffer", "a short body throws");
    }
}

void CheckMessageModel()
{
    varo::Message message;
    IMessage& asInterface = message;
    asInterface.SetVersion(0x12);
    asInterface.SetTid(9);
    asInterface.SetChain(0x54);
    asInterface.SetSequenceNumber(-1);
    asInterface.SetCompressFlag(IMessage::CompressIfLarge);
    auto chat = std::make_shared<ChatField>();
    asInterface.AddField(chat);
    asInterface.AddField(std::make_shared<PositionField>());
    Check(message.version == 0x12 && message.tid == 9 && message.chain == 0x54 &&
              message.sequenceNumber == 0xFFFFFFFFu && message.compressFlag == IMessage::CompressIfLarge,
          "the message interface sets the header");
    Check(message.fields.size() == 2 && message.fields[0] == chat, "fields are kept in order and shared");
    asInterface.ClearFields();
    Check(message.fields.empty() && chat.use_count() == 1, "clearing releases the fields");
}

// Prints what the connection reports.
class PrintingListener : public INetworkListener {
public:
    void OnSendData(INetwork*, int bytes) override { std::printf("sent %d bytes\n", bytes); }
    int OnReceiveMessage(INetwork*, IMessage* message) override
    {
        const auto& received = static_cast<varo::Message&>(*message);
        std::printf("received message tid=%u:", received.tid);
        for (const auto& field : received.fields) {
            if (auto* chat = dynamic_cast<ChatField*>(field.get()))
                std::printf(" chat \"%s\"", chat->text.c_str());
            if (auto* position = dynamic_cast<PositionField*>(field.get()))
                std::printf(" position (%u, %u, %d)", position->x, position->y, position->z);
        }
        std::printf("\n");
        ++messages;
        return 1;
    }
    void OnStatusChanged(INetwork*, int from, int to) override
    {
        std::printf("status %d -> %d\n", from, to);
        status = to;
    }

    int messages = 0;
    int status = 0;
};

void ExchangeWithServer(const platform::testing::CLoadedModule& library, unsigned short port)
{
    const auto create = Bind<CreateNetworkInterfaceFunction>(library, "CreateNetworkInterface");
    const auto release = Bind<ReleaseNetworkInterfaceFunction>(library, "ReleaseNetworkInterface");
    const auto dispatch = Bind<DispatchNetworkMessagesFunction>(library, "DispatchNetworkMessages");
    Check(create && release && dispatch, "the connection exports bind by name");
    if (!create || !release || !dispatch)
        return;
    PrintingListener listener;
    INetwork* network = create();
    network->Initialize(&listener, true);
    Check(network->Connect("127.0.0.1", port) == 1, "connecting to the game server");
    // This thread's own loop: every event arrives inside these calls.
    for (int round = 0; round < 500 && listener.status != 2; ++round)
        dispatch(10);
    Check(network->GetStatus() == 2, "connected");

    varo::Message message;
    message.SetTid(42);
    auto chat = std::make_shared<ChatField>();
    chat->text = "hello, server";
    auto position = std::make_shared<PositionField>();
    position->x = 100;
    position->y = 200;
    position->z = -3;
    message.AddField(chat);
    message.AddField(position);
    for (int tid = 42; tid < 44; ++tid) {
        message.SetTid(static_cast<unsigned>(tid));
        Check(network->SendMessage(&message) == 1, "sending a message");
    }
    for (int round = 0; round < 500 && listener.messages < 2; ++round)
        dispatch(10);
    Check(listener.messages == 2, "both messages came back");
    network->Close();
    release(&network);
}

}  // namespace

int ProgramMain(int argc, char** argv)
{
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: cquill-test-client <libcquill.so> [<port>]\n");
        return 2;
    }
    const platform::testing::CLoadedModule library(argv[1]);
    if (!library.Loaded()) {
        std::fprintf(stderr, "%s\n", library.Failure().c_str());
        return 2;
    }
    const auto getVersion = Bind<GetNetworkDLLVersionFunction>(library, "GetNetworkDLLVersion");
    const auto registerProtocol = Bind<RegisterProtocalFunction>(library, "RegisterProtocal");
    Check(getVersion && registerProtocol, "the exports bind by name");
    if (!getVersion || !registerProtocol)
        return 1;
    Check(getVersion() == 2, "the library version is 2");

    Check(registerProtocol(ChatField::pid, [] { return new ChatField; }), "registering a protocol");
    Check(registerProtocol(PositionField::pid, [] { return new PositionField; }), "registering a second protocol");
    Check(registerProtocol(PositionField::pid, [] { return new PositionField; }), "registering a protocol again");

    CheckFieldFraming();
    CheckMessageModel();
    if (argc == 3)
        ExchangeWithServer(library, static_cast<unsigned short>(std::atoi(argv[2])));

    return failures == 0 ? 0 : 1;
}
