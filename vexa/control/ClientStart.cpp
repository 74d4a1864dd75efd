#include "vexa/control/ClientStart.h"

#include "platform/process.h"
#include "vexa/control/ModuleFolders.h"
#include "vexa/control/TextUtils.h"
#include "vexa/control/UpdateLog.h"

#include <algorithm>
#include <vector>

namespace {

// The name comes from "vexa.xml", which updates may bring from the server: it may
// name only something inside the root folder.
bool StaysInsideRoot(const std::wstring& name)
{
    const bool driveLetter = name.size() >= 2 && name[1] == L':';
    if (name.starts_with(L'/') || driveLetter)
        return false;
    std::vector<std::wstring> components;
    SplitString(name, L'/', components);
    int depth = 0;
    for (const std::wstring& component : components) {
        if (component == L"..")
            --depth;
        else if (component != L".")
            ++depth;
        if (depth < 0)
            return false;
    }
    return true;
}

}  // namespace

void OpenInRootFolder(const std::wstring& fileName, const std::wstring& parameters)
{
    std::wstring name = fileName;
    std::replace(name.begin(), name.end(), L'\\', L'/');
    if (!StaysInsideRoot(name)) {
        WriteLog(L"启动程序不在客户端目录内,不予启动: %s", LogValue(fileName).c_str());
        return;
    }
    const std::wstring root = GetRootFolder();
    StartProgram(root + name, parameters, root);
}

bool StartProgram(const std::wstring& path, const std::wstring& parameters, const std::wstring& workingFolder)
{
    std::wstring failure;
    if (platform::ShellOpen(path, parameters, workingFolder, &failure))
        return true;
    WriteLog(L"启动程序 %s 失败: %s", LogValue(path).c_str(), failure.c_str());
    return false;
}
