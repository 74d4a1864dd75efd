#pragma once
#include <string>

// Opens root folder + file name with the parameters, the root folder being the
// working folder; '\' in the name reads as '/'. A name that is absolute or climbs
// out of the root folder starts nothing and is logged. Whether anything started is
// not reported.
void OpenInRootFolder(const std::wstring& fileName, const std::wstring& parameters);
