#include "vexa/control/ClientStart.h"

#include "platform/process.h"
#include "vexa/control/ModuleFolders.h"

void OpenInRootFolder(const std::wstring& fileName, const std::wstring& parameters)
{
    const std::wstring root = GetRootFolder();
    platform::ShellOpen(root + fileName, parameters, root);
}
