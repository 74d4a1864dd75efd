#include "vexa/install/CollectInstallInfo.h"

#include "vexa/control/CUpdateConfig.h"
#include "vexa/control/FileUtils.h"
#include "vexa/control/ModuleFolders.h"
#include "vexa/control/UpdateLog.h"
#include "vexa/install/FileList.h"
#include "vexa/install/SelfUpdateEntry.h"

#include <string>
#include <vector>

bool CollectInstallInfo(InstallSet& installSet)
{
    const std::wstring path = GetDownloadInfoPath();
    if (!FileExists(path)) {
        WriteLog(L"无法找到安装信息文件: %s", path.c_str());
        return false;
    }
    installSet.clear();
    CFileList downloaded;
    if (!LoadFileList(path, downloaded)) {
        WriteLog(L"读取下载信息文件: %s 失败", path.c_str());
        return false;
    }
    std::vector<std::wstring> lines;
    for (const CFileListInfo& entry : downloaded) {
        if (IsSelfUpdateEntry(entry.GetFileName()))
            lines.push_back(SelfUpdateName(entry.GetFileName()));
        else
            installSet.push_back(entry);
    }
    if (lines.empty())
        return true;
    lines.insert(lines.begin(), GetUpdateConfig().GetNewVersion());
    if (!WriteNeedUpdateFile(lines)) {
        WriteLog(L"生成needupdate.txt文件失败");
        return false;
    }
    return true;
}
