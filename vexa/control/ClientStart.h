#pragma once
#include <string>

// Opens root folder + file name with the parameters, the root folder being the
// working folder. Whether anything started is not reported.
void OpenInRootFolder(const std::wstring& fileName, const std::wstring& parameters);
