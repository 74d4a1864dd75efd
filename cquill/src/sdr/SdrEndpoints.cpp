#include "cquill/src/sdr/SdrEndpoints.h"

#include "cquill/src/sdr/SDRLog.h"
#include "platform/ini.h"
#include "platform/text.h"

namespace quill::sdr {

namespace {

// Placeholders under a reserved domain that never resolves; a deployment names its
// own servers in SDR.INI.
const wchar_t* const kBuiltIn[] = {
    L"sdr1.first.invalid:20088",  L"sdr2.first.invalid:20088", L"sdr1.second.invalid:20088",
    L"sdr2.second.invalid:20088", L"sdr1.third.invalid:20088", L"sdr2.third.invalid:20088",
};

constexpr std::size_t kValueBuffer = 256;

}  // namespace

std::vector<std::string> SdrEndpoints()
{
    const std::wstring config = GetModuleDirectory() + L"SysCfg/SDR.INI";
    std::vector<std::string> endpoints;
    for (std::size_t i = 0; i < std::size(kBuiltIn); ++i) {
        const std::wstring key = std::to_wstring(i + 1);
        endpoints.push_back(platform::AnsiFromWide(platform::ReadProfileString(config, L"ENDPOINTS", key, kBuiltIn[i], kValueBuffer)));
    }
    return endpoints;
}

}  // namespace quill::sdr
