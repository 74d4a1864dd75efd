// Arbitrary bytes as one received packet, decoded with a few registered field classes.

#include <cstddef>
#include <cstdint>
#include <string>

#include "cquill.h"
#include "cquill/src/Packet.h"
#include "cquill/src/bstream.h"

namespace {

// Two raw bytes.
class PairField : public varo::Field {
public:
    void Encode(bostream& stream) override { stream.write(bytes, 2); }
    void Decode(bistream& stream) override
    {
        stream.read(bytes[0]);
        stream.read(bytes[1]);
    }
    uint32_t GetPid() override { return 1; }

    char bytes[2] = {};
};

// A 16-bit length, then that many bytes.
class TextField : public varo::Field {
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
    uint32_t GetPid() override { return 2; }

    std::string text;
};

class NumbersField : public varo::Field {
public:
    void Encode(bostream& stream) override { stream << a << b << c; }
    void Decode(bistream& stream) override { stream >> a >> b >> c; }
    uint32_t GetPid() override { return 3; }

    unsigned int a = 0;
    unsigned short b = 0;
    short c = 0;
};

bool RegisterFields()
{
    RegisterProtocal(1, [] { return new PairField; });
    RegisterProtocal(2, [] { return new TextField; });
    RegisterProtocal(3, [] { return new NumbersField; });
    RegisterProtocal(4, [] { return static_cast<varo::Field*>(nullptr); });
    RegisterProtocal(5, varo::FieldCreator());
    return true;
}

// False when the bytes are no packet: every failure is an exception the receiving side
// drops the packet for.
bool Decode(const char* data, size_t size, varo::Message& message)
{
    varo::Packet packet;
    packet.message = &message;
    bistream in(data, static_cast<uint32_t>(size), quill::LogStreamFailure);
    try {
        varo::Message::uncompress(in, packet);
        return true;
    } catch (...) {
        return false;
    }
}

std::string Encode(varo::Message& message)
{
    std::string buffer(1 << 16, '\0');
    bostream out(buffer.data(), static_cast<uint32_t>(buffer.size()), quill::LogStreamFailure);
    varo::Packet packet;
    packet.message = &message;
    varo::Message::compress(out, packet);
    buffer.resize(out.offset());
    return buffer;
}

}  // namespace

// A packet that decodes must survive re-encoding: what was decoded encodes to a packet that
// decodes to the same bytes again.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool registered = RegisterFields();
    (void)registered;
    varo::Message message;
    if (!Decode(reinterpret_cast<const char*>(data), size, message))
        return 0;
    std::string encoded;
    try {
        encoded = Encode(message);
    } catch (const my_exception&) {
        return 0;  // decoded bodies may exceed what one packet can carry
    }
    varo::Message again;
    if (!Decode(encoded.data(), encoded.size(), again) || Encode(again) != encoded)
        __builtin_trap();
    return 0;
}
