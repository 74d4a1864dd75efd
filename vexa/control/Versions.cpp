#include "vexa/control/Versions.h"

#include "vexa/control/CUpdateConfig.h"
#include "vexa/control/PublishedNames.h"
#include "vexa/control/TextUtils.h"
#include "vexa/control/UpdateLog.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace {

constexpr std::size_t kVersionPieces = 4;

// Three or four pieces, the missing fourth being "0"; false for any other count.
bool SplitVersion(const std::wstring& version, std::vector<std::wstring>& pieces)
{
    SplitString(version, L'.', pieces);
    if (pieces.size() == kVersionPieces - 1)
        pieces.push_back(L"0");
    return pieces.size() == kVersionPieces;
}

}  // namespace

std::int32_t VersionNumber(const std::wstring& piece)
{
    std::size_t i = 0;
    while (i < piece.size() && IsWhiteSpace(piece[i]))
        ++i;
    bool negative = false;
    if (i < piece.size() && (piece[i] == L'+' || piece[i] == L'-'))
        negative = piece[i++] == L'-';
    const std::int64_t limit = negative ? -std::int64_t(std::numeric_limits<std::int32_t>::min())
                                        : std::numeric_limits<std::int32_t>::max();
    std::int64_t value = 0;
    for (; i < piece.size() && piece[i] >= L'0' && piece[i] <= L'9'; ++i)
        value = std::min<std::int64_t>(value * 10 + (piece[i] - L'0'), limit);
    return static_cast<std::int32_t>(negative ? -value : value);
}

bool CompareVersion(const std::wstring& a, const std::wstring& b, int& result)
{
    if (a.empty() || b.empty())
        return false;
    std::vector<std::wstring> first, second;
    if (!SplitVersion(a, first) || !SplitVersion(b, second))
        return false;
    for (std::size_t i = 0; i < kVersionPieces; ++i) {
        const std::int32_t left = VersionNumber(first[i]);
        const std::int32_t right = VersionNumber(second[i]);
        if (left != right) {
            result = left > right ? 1 : -1;
            return true;
        }
    }
    return true;
}

bool DecideUpdateType(UpdateType& type)
{
    const CUpdateConfig& config = GetUpdateConfig();
    const std::wstring newest = config.GetNewVersion();
    const std::wstring minimum = config.GetMinVersion();
    const std::wstring installed = config.GetInstalledVersion();

    // The published version names a download folder and the product code a URL path.
    if (!IsFolderSafeVersion(newest)) {
        WriteLog(L"版本信息有误,新版本版本号: %s, 当前版本号: %s", LogValue(newest).c_str(), LogValue(installed).c_str());
        return false;
    }
    const std::wstring productCode = config.GetNewProductCode();
    if (!IsUrlSafeProductCode(productCode)) {
        WriteLog(L"产品代码有误: %s", LogValue(productCode).c_str());
        return false;
    }

    int order = 0;
    if (!CompareVersion(minimum, installed, order)) {
        WriteLog(L"版本信息有误,新版本最小版本号: %s, 当前版本号: %s", LogValue(minimum).c_str(),
                 LogValue(installed).c_str());
        return false;
    }
    if (order > 0) {
        type = UPDATE_FORCED;
        return true;
    }
    order = 0;
    if (!CompareVersion(newest, installed, order)) {
        WriteLog(L"版本信息有误,新版本版本号: %s, 当前版本号: %s", LogValue(newest).c_str(), LogValue(installed).c_str());
        return false;
    }
    type = order > 0 ? UPDATE_OPTIONAL : UPDATE_NONE;
    return true;
}
