#pragma once
#include <string>

// True when a FileName of a file list can only name a file inside the folder it is
// joined to: it begins with '/', has no empty, "." or ".." component, no '\' and no
// control character. Lists come from the server, so this is checked before any name
// reaches the file system.
bool IsCleanFileName(const std::wstring& name);
