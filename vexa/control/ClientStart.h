#pragma once
#include <string>

// Opens root folder + file name with the parameters, the root folder being the
// working folder; '\' in the name reads as '/'. A name that is absolute or climbs
// out of the root folder starts nothing and is logged, as is a failed start.
void OpenInRootFolder(const std::wstring& fileName, const std::wstring& parameters);

// Starts the program by executing it; a failed start is logged with its path and the
// system's reason.
bool StartProgram(const std::wstring& path, const std::wstring& parameters, const std::wstring& workingFolder);
