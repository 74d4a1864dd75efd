#pragma once
#include <string>

// The updater's own folder and the client's root folder above it, each with a
// trailing separator. The root folder is empty when the module folder has no parent.
std::wstring GetModuleFolder();
std::wstring GetRootFolder();
