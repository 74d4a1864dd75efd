#include "vexa/delta/DeltaPlan.h"

#include "platform/files.h"
#include "vexa/control/CUpdateConfig.h"
#include "vexa/control/UpdateLog.h"
#include "vexa/download/DownloadFile.h"
#include "vexa/download/SignedDownload.h"
#include "vexa/download/TransferOptions.h"
#include "vexa/install/CFileListInfo.h"
#include "vexa/install/FileList.h"
#include "vexa/install/Md5.h"

#include <algorithm>
#include <utility>

namespace {

const wchar_t kManifestName[] = L"vexa/deltas.xml";

}  // namespace

CDeltaPlan::CDeltaPlan(CDeltaManifest manifest, std::wstring installedRoot)
    : manifest_(std::move(manifest)), installedRoot_(std::move(installedRoot))
{
}

const CDeltaEntry* CDeltaPlan::Find(const CFileListInfo& entry, std::wstring& sourcePath) const
{
    const std::wstring& name = entry.GetFileName();
    const bool named = std::any_of(manifest_.begin(), manifest_.end(),
                                   [&name](const CDeltaEntry& delta) { return EqualIgnoringCase(delta.fileName, name); });
    if (!named)
        return nullptr;
    const std::wstring installed = installedRoot_ + name;
    const CDeltaEntry* delta = FindDelta(manifest_, name, FileMd5Hex(installed));
    sourcePath = delta && !delta->sourceMd5.empty() ? installed : std::wstring();
    return delta;
}

CDeltaPlan FetchDeltaPlan(const std::wstring& installedRoot)
{
    const CUpdateConfig& config = GetUpdateConfig();
    const std::wstring path = config.GetVersionDownloadFolder() + kManifestName;
    const std::wstring url = config.GetFilesBaseUrl() + L"/" + kManifestName;
    // A stale manifest would have the new one appended to it.
    if (!platform::RemoveFileIfPresent(path) ||
        !DownloadFile(url, path, false, kFileListSizeCap, TransferKind::SmallFile, true))
        return CDeltaPlan();
    CDeltaManifest manifest;
    if (!CheckDownloadSignature(url, config.GetVersionPublishedPath() + L"/" + kManifestName, path)) {
        WriteLog(L"增量更新清单未通过签名验证, 不使用增量更新: %s", url.c_str());
        return CDeltaPlan();
    }
    if (!ReadDeltaManifest(path, manifest)) {
        WriteLog(L"无法加载增量更新清单%s, 不使用增量更新", path.c_str());
        return CDeltaPlan();
    }
    return CDeltaPlan(std::move(manifest), installedRoot);
}
