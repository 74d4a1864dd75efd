#pragma once
#include <string>

// True when a FileName of a file list can only name a file inside the folder it is
// joined to: it begins with '/', has no empty, "." or ".." component, no '\', no
// control character (C0, DEL, C1) and no U+FFFE or U+FFFF. Lists come from the
// server, so this is checked before any name reaches the file system; the list
// tool (vexa -g) refuses to list any other name, so every name it writes can be
// fetched and installed.
bool IsCleanFileName(const std::wstring& name);
