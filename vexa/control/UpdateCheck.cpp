#include "vexa/control/UpdateCheck.h"

#include "platform/files.h"
#include "platform/window_messages.h"
#include "vexa/control/CUpdateConfig.h"
#include "vexa/control/ConfigReaders.h"
#include "vexa/control/FileUtils.h"
#include "vexa/control/UpdateLog.h"
#include "vexa/control/Versions.h"
#include "vexa/download/DownloadFile.h"
#include "vexa/download/SignedDownload.h"
#include "vexa/download/TransferOptions.h"

namespace {

// An error page served with a status other than 404 is stored like a real
// configuration; without a published version it would read as "1.0.0" and be
// taken for a verdict. Such a download counts as failed.
bool DownloadPublishedConfig(const std::wstring& path)
{
    const CUpdateConfig& config = GetUpdateConfig();
    const std::wstring url = config.GetConfigUrl();
    return DownloadFile(url, path, false, kConfigSizeCap, TransferKind::SmallFile) &&
           CheckDownloadSignature(url, config.GetConfigPublishedPath(), path) &&
           ConfigHasKey(path, L"CurVersion");
}

void LogVerdict(UpdateType type)
{
    switch (type) {
    case UPDATE_CHECK_FAILED:
        WriteLog(L"手动检测更新失败");
        break;
    case UPDATE_OPTIONAL:
    case UPDATE_FORCED:
        WriteLog(L"检测到有可用更新");
        break;
    case UPDATE_NONE:
        WriteLog(L"当前版本是最新版本，不需要更新!");
        break;
    }
}

}  // namespace

bool CheckForUpdate(UpdateType& type)
{
    if (!UpdatesAreSigned())
        WriteLog(L"未找到update.pub，更新文件不做签名验证");
    const std::wstring path = GetUpdateConfig().DownloadedPath();
    // The download appends: a copy that stays would have the new one resumed onto it.
    if (!platform::RemoveFileIfPresent(path)) {
        type = UPDATE_CHECK_FAILED;
        WriteLog(L"无法删除旧的vexa.xml文件: %s", path.c_str());
        return false;
    }
    if (!DownloadPublishedConfig(path)) {
        type = UPDATE_CHECK_FAILED;
        WriteLog(L"下载vexa.xml文件失败");
        return false;
    }
    if (!DecideUpdateType(type)) {
        type = UPDATE_CHECK_FAILED;
        WriteLog(L"判断升级类型失败");
        return false;
    }
    return true;
}

void CheckUpdateForWindow(const std::wstring& windowName)
{
    const auto window = platform::FindWindowByTitle(windowName);
    if (!window) {
        WriteLog(L"无法找到主窗口的句柄,windowName:%s", windowName.c_str());
        return;
    }
    UpdateType type = UPDATE_NONE;
    CheckForUpdate(type);
    LogVerdict(type);
    if (!platform::PostWindowMessage(*window, {WM_UPDATE_RESULT, static_cast<std::uint64_t>(type), 0}))
        WriteLog(L"无法发送检测结果到主窗口,windowName:%s", windowName.c_str());
}
