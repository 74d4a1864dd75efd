#pragma once
#include <string>

// True for a file-list entry that is one of the updater's own files, which the
// running updater cannot replace and leaves to the client: "/vexa/vexa.exe",
// "/vexa/libcurl.dll" (lists published for Windows), or "/vexa/" followed by the
// name of the running executable; letter case is ignored.
bool IsSelfUpdateEntry(const std::wstring& fileName);

// The text after the last '/' of a FileName.
std::wstring EntryBaseName(const std::wstring& fileName);
