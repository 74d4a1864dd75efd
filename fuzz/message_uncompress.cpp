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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool registered = RegisterFields();
    (void)registered;
    varo::Message message;
    varo::Packet packet;
    packet.message = &message;
    bistream in(reinterpret_cast<const char*>(data), static_cast<uint32_t>(size), quill::LogStreamFailure);
    try {
        varo::Message::uncompress(in, packet);
    } catch (...) {
        // Every failure is an exception the receiving side drops the packet for.
    }
    return 0;
}
