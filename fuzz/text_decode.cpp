// Bytes from files and the network decoded as UTF-8 and as numbered code pages.
// The first byte picks the code page. Decoding must never fail on a known code
// page, valid UTF-8 must survive a round trip, and encoding what was decoded must
// give a result for every code page.
#include "platform/codepage.h"
#include "platform/text.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

const unsigned kCodePages[] = {936, 54936, 950, 932, 949, 1252, 20127, 65001, 437, 1200, 50220, 65000};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const unsigned codePage = kCodePages[data[0] % std::size(kCodePages)];
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);

    const std::wstring fromUtf8 = platform::WideFromUtf8(bytes);
    const std::string utf8 = platform::Utf8FromWide(fromUtf8);
    if (fromUtf8.find(L'\xFFFD') == std::wstring::npos && utf8 != bytes)
        std::abort();
    if (platform::WideFromUtf8(utf8) != fromUtf8)
        std::abort();

    std::wstring text;
    if (!platform::CodePageToWide(codePage, bytes, text))
        std::abort();
    std::string encoded;
    bool lossy = false;
    if (!platform::WideToCodePage(codePage, text, encoded, &lossy))
        std::abort();
    return 0;
}
