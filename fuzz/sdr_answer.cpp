// Directory server answers and client keys: frame header, record and field splitting,
// the key check and the query built from it.
#include "cquill/src/sdr/SdrProtocol.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (const auto length = quill::sdr::AnnouncedLength(bytes); length && size >= *length + 3) {
        const auto entries = quill::sdr::ParseEntries(bytes.substr(3));
        if (entries.empty())
            __builtin_trap();
    }
    if (quill::sdr::IsValidKey(bytes)) {
        const auto query = quill::sdr::BuildQuery(bytes);
        if (!query.starts_with("PRODUCT"))
            __builtin_trap();
        if (const auto frame = quill::sdr::BuildFrame(query); frame && *quill::sdr::AnnouncedLength(*frame) != query.size())
            __builtin_trap();
    }
    return 0;
}
