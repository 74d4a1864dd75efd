#include "vexa/install/SelfUpdateEntry.h"

#include "platform/module_path.h"
#include "vexa/install/FileList.h"

bool IsSelfUpdateEntry(const std::wstring& fileName)
{
    const std::wstring ownName = L"/vexa/" + EntryBaseName(platform::ExecutablePath());
    return EqualIgnoringCase(fileName, L"/vexa/vexa.exe") || EqualIgnoringCase(fileName, L"/vexa/libcurl.dll") ||
           EqualIgnoringCase(fileName, ownName);
}

std::wstring EntryBaseName(const std::wstring& fileName)
{
    return fileName.substr(fileName.rfind(L'/') + 1);
}
