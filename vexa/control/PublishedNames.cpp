#include "vexa/control/PublishedNames.h"

#include <algorithm>
#include <cwctype>

bool IsFolderSafeVersion(const std::wstring& version)
{
    const auto allowed = [](wchar_t c) { return (c >= L'0' && c <= L'9') || c == L'.' || std::iswspace(c); };
    return std::all_of(version.begin(), version.end(), allowed) && version.find(L"..") == std::wstring::npos;
}

bool IsUrlSafeProductCode(const std::wstring& productCode)
{
    return productCode.find_first_of(L"/\\?#") == std::wstring::npos && productCode.find(L"..") == std::wstring::npos;
}
