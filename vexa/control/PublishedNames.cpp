#include "vexa/control/PublishedNames.h"

#include "vexa/control/TextUtils.h"

#include <algorithm>

bool IsFolderSafeVersion(const std::wstring& version)
{
    const std::wstring trimmed = TrimWhiteSpace(version);
    const auto unsafe = [](wchar_t c) { return c == L'/' || c == L'\\' || IsControlCharacter(c); };
    return !trimmed.empty() && trimmed != L"." && trimmed != L".." &&
           std::none_of(version.begin(), version.end(), unsafe);
}

bool IsUrlSafeProductCode(const std::wstring& productCode)
{
    return productCode.find_first_of(L"/\\?#") == std::wstring::npos && productCode.find(L"..") == std::wstring::npos;
}
