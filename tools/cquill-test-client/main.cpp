// Usage: cquill-test-client <path of libcquill.so>
// Binds the exports by name, registers its protocols and checks that its field classes
// frame and read their bodies through the header's streams. Prints one line per check;
// exits 0 when every check passed.

#include <dlfcn.h>

#include <cstdio>
#include <string>

#include "cquill.h"

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
Function Bind(void* library, const char* name)
{
    return reinterpret_cast<Function>(dlsym(library, name));
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

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: cquill-test-client <libcquill.so>\n");
        return 2;
    }
    void* library = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        std::fprintf(stderr, "%s\n", dlerror());
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

    dlclose(library);
    return failures == 0 ? 0 : 1;
}
