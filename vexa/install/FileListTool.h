#pragma once
#include <string>

#include "vexa/install/FileList.h"

// The publisher's tool: writes "filelist.xml" for a whole client tree. With tree empty,
// the tree this updater is installed in and the module folder's list; otherwise that
// folder and its "vexa/filelist.xml". Everything is reported on the console; false
// when no list could be made (a declined question is no failure).
bool GenerateFileList(bool force, bool quiet, bool skipOwnFolder, const std::wstring& tree = {});

// Where the tool reads and writes: the tree listed, its updater's folder (left out
// with the switch s) and the list written, which is never listed itself.
struct ListedTree {
    std::wstring root;                // without a trailing separator
    std::wstring updaterFolder = {};  // without a trailing separator
    std::wstring output = {};
};

// The tree given on the command line, or the one this updater is installed in.
ListedTree TreeToList(const std::wstring& tree);

// Appends the files below directory to list, depth-first in the order the file
// system returns them, measuring and digesting them on threads workers (0: one
// per core); hidden entries are left out, and with skipOwnFolder the tree's
// updater folder too, and always the list being written. listed.root is
// cut from the front of each path to give its FileName. False when a file cannot
// be measured, a folder cannot be read or a name cannot be carried by the list,
// which stops the whole generation.
bool CollectFiles(CFileList& list, const ListedTree& listed, const std::wstring& directory, bool quiet,
                  bool skipOwnFolder, unsigned threads = 0);
