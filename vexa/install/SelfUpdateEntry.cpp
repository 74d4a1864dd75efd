#include "vexa/install/SelfUpdateEntry.h"

#include "platform/module_path.h"
#include "vexa/install/FileList.h"

namespace {

const std::wstring kUpdaterFolder = L"/vexa/";

}  // namespace

std::vector<std::wstring> SelfUpdateNames()
{
    return {L"vexa.exe", L"libcurl.dll", EntryBaseName(platform::ExecutablePath())};
}

bool IsSelfUpdateEntry(const std::wstring& fileName)
{
    return !SelfUpdateName(fileName).empty();
}

std::wstring SelfUpdateName(const std::wstring& fileName)
{
    for (const std::wstring& name : SelfUpdateNames())
        if (EqualIgnoringCase(fileName, kUpdaterFolder + name))
            return name;
    return std::wstring();
}

std::wstring DownloadedName(const std::wstring& fileName)
{
    const std::wstring own = SelfUpdateName(fileName);
    return own.empty() ? fileName : kUpdaterFolder + own;
}

std::wstring EntryBaseName(const std::wstring& fileName)
{
    return fileName.substr(fileName.rfind(L'/') + 1);
}
