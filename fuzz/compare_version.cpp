// Version strings come from the published "vexa.xml". Two versions per input,
// separated by the first newline; the comparison must be antisymmetric.
#include "platform/text.h"
#include "vexa/control/Versions.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const auto newline = input.find('\n');
    const std::wstring a = platform::WideFromUtf8(input.substr(0, newline));
    const std::wstring b = newline == std::string_view::npos ? std::wstring() : platform::WideFromUtf8(input.substr(newline + 1));

    int forward = 0, backward = 0;
    const bool valid = CompareVersion(a, b, forward);
    if (valid != CompareVersion(b, a, backward) || forward != -backward)
        std::abort();
    return 0;
}
