#include "vexa/download/UrlPath.h"

#include "platform/text.h"

namespace {

bool KeptAsIs(unsigned char byte)
{
    return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9') ||
           byte == '-' || byte == '.' || byte == '_' || byte == '~' || byte == '/';
}

}  // namespace

std::wstring EncodeUrlPath(const std::wstring& path)
{
    static constexpr wchar_t kHexDigits[] = L"0123456789ABCDEF";
    std::wstring encoded;
    for (const char character : platform::Utf8FromWide(path)) {
        const auto byte = static_cast<unsigned char>(character);
        if (KeptAsIs(byte)) {
            encoded += static_cast<wchar_t>(byte);
            continue;
        }
        encoded += L'%';
        encoded += kHexDigits[byte >> 4];
        encoded += kHexDigits[byte & 0xF];
    }
    return encoded;
}
