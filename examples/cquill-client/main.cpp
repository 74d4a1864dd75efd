// A game client linked against the installed libcquill: registers its field class and
// runs its messages through the library. Prints the library's version on success.

#include <cquill/cquill.h>

#include <cstdio>
#include <memory>
#include <string>

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

}  // namespace

int main()
{
    if (!Check(RegisterProtocal(kChatPid, [] { return new ChatField; }), "RegisterProtocal failed"))
        return 1;
    if (!FieldRoundTrip())
        return 1;

    ISDR* lookup = CreateISdr();
    if (!Check(lookup != nullptr && lookup->IsIdle(), "a new lookup is not idle"))
        return 1;
    lookup->Release();

    std::printf("cquill %d\n", GetNetworkDLLVersion());
    return 0;
}
