#pragma once
#include <string>

#include "vexa/install/FileList.h"

// The publisher's tool: writes the module folder's "filelist.xml" for the whole
// client tree below the root folder. Everything is reported on the console; false
// when no list could be made (a declined question is no failure).
bool GenerateFileList(bool force, bool quiet, bool skipOwnFolder);

// Appends the files below directory to list, depth-first in the order the file
// system returns them, measuring and digesting them on threads workers (0: one
// per core); hidden entries are left out, and with skipOwnFolder the
// updater's own folder too, and always the module folder's "filelist.xml". root is
// cut from the front of each path to give its FileName. False when a file cannot
// be measured, a folder cannot be read or a name cannot be carried by the list,
// which stops the whole generation.
bool CollectFiles(CFileList& list, const std::wstring& root, const std::wstring& directory, bool quiet,
                  bool skipOwnFolder, unsigned threads = 0);
