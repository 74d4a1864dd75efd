#pragma once
#include <string>

#include "vexa/install/FileList.h"

// The publisher's tool: writes the module folder's "filelist.xml" for the whole
// client tree below the root folder. Everything is reported on the console.
void GenerateFileList(bool force, bool quiet, bool skipOwnFolder);

// Appends the files below directory to list, depth-first in the order the file
// system returns them; hidden entries are left out, and with skipOwnFolder the
// updater's own folder too. root is cut from the front of each path to give its
// FileName. False when a file cannot be measured or a folder cannot be read,
// which stops the whole generation.
bool CollectFiles(CFileList& list, const std::wstring& root, const std::wstring& directory, bool quiet,
                  bool skipOwnFolder);
