// Arbitrary bytes as a received byte stream: cut into packets by their headers in chunks of
// varying size, as reads would deliver them, and each packet decoded by the network manager's
// receive path with one field class registered.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "cquill.h"
#include "cquill/src/Network.h"
#include "cquill/src/PacketFraming.h"

namespace {

class ByteField : public varo::Field {
public:
    void Encode(bostream& stream) override { stream.write(byte); }
    void Decode(bistream& stream) override { stream.read(byte); }
    uint32_t GetPid() override { return 1001; }

    char byte = 0;
};

constexpr std::uint32_t receiveCapacity = 81920;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool registered = RegisterProtocal(1001, [] { return new ByteField; });
    static quill::net::CNetwork network;
    (void)registered;
    if (size == 0)
        return 0;
    // The first byte chooses the read size, so packets split across reads at every offset.
    const std::size_t chunk = 1 + data[0] % 64;
    std::vector<char> buffer(receiveCapacity);
    std::uint32_t fill = 0;
    for (std::size_t at = 1; at < size; at += chunk) {
        const std::size_t count = std::min({chunk, size - at, static_cast<std::size_t>(receiveCapacity - fill)});
        std::memcpy(buffer.data() + fill, data + at, count);
        fill += static_cast<std::uint32_t>(count);
        std::uint32_t delivered = 0;
        while (true) {
            const std::int32_t length = quill::net::NextPacketLength(buffer.data() + delivered, fill - delivered);
            if (length < 0)
                return 0;  // the connection would close here
            if (length == 0)
                break;
            if (length < 4 || static_cast<std::uint32_t>(length) > fill - delivered)
                std::abort();
            network.OnSocketReceive(nullptr, buffer.data() + delivered, length);
            delivered += static_cast<std::uint32_t>(length);
        }
        fill -= delivered;
        std::memmove(buffer.data(), buffer.data() + delivered, fill);
    }
    return 0;
}
