// A game client linked against the installed libcquill: registers its field class, and
// with a port sends a message to the game server on 127.0.0.1 there and waits for its
// echo, decoded by the library into a field of that class. Prints the library's version
// on success.

#include <cquill/cquill.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace {

constexpr uint32_t kChatPid = 7;

// A 16-bit length, then that many bytes of text.
class ChatField : public varo::Field {
public:
    void Encode(bostream& stream) override
    {
        stream << static_cast<unsigned short>(text.size());
        stream.write(text.data(), static_cast<unsigned>(text.size()));
    }
    void Decode(bistream& stream) override
    {
        unsigned short length = 0;
        stream >> length;
        text.resize(length);
        for (char& byte : text)
            stream.read(byte);
    }
    uint32_t GetPid() override { return kChatPid; }

    std::string text;
};

bool Check(bool condition, const char* what)
{
    if (!condition)
        std::fprintf(stderr, "cquill-client: %s\n", what);
    return condition;
}

// The field's bytes through the installed streams, and a short read refused.
bool FieldRoundTrip()
{
    ChatField sent;
    sent.text = "hello";
    char buffer[64];
    bostream out(buffer, sizeof buffer);
    sent.Encode(out);

    ChatField received;
    bistream in(buffer, out.offset());
    received.Decode(in);
    if (!Check(received.text == "hello", "field text changed on its way through the streams"))
        return false;
    try {
        bistream truncated(buffer, out.offset() - 1);
        received.Decode(truncated);
    } catch (const bstream_overflow&) {
        return true;
    }
    return Check(false, "a short field body was read");
}

// Hears the echo on the connection's worker thread.
class EchoListener : public INetworkListener {
public:
    int OnReceiveMessage(INetwork*, IMessage* message) override
    {
        const auto* received = static_cast<varo::Message*>(message);
        std::lock_guard lock(mutex_);
        for (const auto& field : received->fields)
            if (field->GetPid() == kChatPid)
                echoed_ = static_cast<ChatField*>(field.get())->text;
        heard_.notify_all();
        return 0;
    }
    void OnStatusChanged(INetwork*, int, int) override {}

    std::string WaitForEcho()
    {
        std::unique_lock lock(mutex_);
        heard_.wait_for(lock, std::chrono::seconds(10), [this] { return !echoed_.empty(); });
        return echoed_;
    }

private:
    std::mutex mutex_;
    std::condition_variable heard_;
    std::string echoed_;
};

bool EchoThroughServer(unsigned short port)
{
    EchoListener listener;
    INetwork* network = CreateNetworkInterface();
    network->Initialize(&listener, false);
    bool echoed = Check(network->Connect("127.0.0.1", port) == 1, "Connect refused");
    for (int i = 0; echoed && network->GetStatus() != 2 && i < 1000; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));

    varo::Message message;
    auto field = std::make_shared<ChatField>();
    field->text = "hello server";
    message.AddField(field);
    echoed = echoed && Check(network->SendMessage(&message) == 1, "SendMessage refused") &&
             Check(listener.WaitForEcho() == "hello server", "no echo of the message");
    network->Close();
    ReleaseNetworkInterface(&network);
    return echoed;
}

}  // namespace

int main(int argc, char** argv)
{
    if (!Check(RegisterProtocal(kChatPid, [] { return new ChatField; }), "RegisterProtocal failed"))
        return 1;
    if (!FieldRoundTrip())
        return 1;

    ISDR* lookup = CreateISdr();
    if (!Check(lookup != nullptr && lookup->IsIdle(), "a new lookup is not idle"))
        return 1;
    lookup->Release();
    if (argc > 1 && !EchoThroughServer(static_cast<unsigned short>(std::atoi(argv[1]))))
        return 1;

    std::printf("cquill %d\n", GetNetworkDLLVersion());
    return 0;
}
