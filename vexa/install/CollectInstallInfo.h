#pragma once
#include "vexa/install/InstallSet.h"

// Reads "temp_downloadInfo.xml": every entry goes into the install set except the
// updater's own files, which are named in "needupdate.txt" (after the new version)
// for the client to install. False, logged, when the file is missing or not
// well-formed, or the hand-over file cannot be written.
bool CollectInstallInfo(InstallSet& installSet);
