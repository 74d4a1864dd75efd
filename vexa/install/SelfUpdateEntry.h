#pragma once
#include <string>
#include <vector>

// The updater's own files, which the running updater cannot replace and leaves to
// the client: "vexa.exe" and "libcurl.dll" (named by lists published for Windows)
// and the running executable's own name, all in the updater's folder.
std::vector<std::wstring> SelfUpdateNames();

// True for a file-list entry that is one of the updater's own files: "/vexa/"
// followed by one of their names; letter case is ignored.
bool IsSelfUpdateEntry(const std::wstring& fileName);

// The updater's own name for a self-update entry ("/VEXA/Vexa.EXE" -> "vexa.exe"),
// empty for any other entry.
std::wstring SelfUpdateName(const std::wstring& fileName);

// Where an entry is kept below the download folder: its FileName, except that a
// self-update entry goes to "/vexa/<own name>" in whatever letter case the list
// wrote it, because the client takes the updater's files from there and the file
// system tells letter cases apart.
std::wstring DownloadedName(const std::wstring& fileName);

// The text after the last '/' of a FileName.
std::wstring EntryBaseName(const std::wstring& fileName);
