#include "platform/ini.h"

#include <windows.h>

#include <algorithm>
#include <climits>
#include <vector>

namespace platform {

// The system's own reader. A name without a folder would be looked up in the Windows
// folder, so the path goes with the system's separators.
std::wstring ReadProfileString(const std::wstring& path, std::wstring_view section, std::wstring_view key,
                               std::wstring_view defaultValue, std::size_t bufferSize)
{
    if (bufferSize == 0)
        return std::wstring();
    std::wstring file = path;
    std::replace(file.begin(), file.end(), L'/', L'\\');
    const std::wstring sectionName(section), keyName(key), fallback(defaultValue);
    std::vector<wchar_t> buffer(std::min<std::size_t>(bufferSize, INT_MAX));
    const DWORD length = GetPrivateProfileStringW(sectionName.c_str(), keyName.c_str(), fallback.c_str(),
                                                  buffer.data(), static_cast<DWORD>(buffer.size()), file.c_str());
    return std::wstring(buffer.data(), length);
}

}  // namespace platform
