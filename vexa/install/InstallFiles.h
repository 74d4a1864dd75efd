#pragma once
#include "vexa/install/InstallSet.h"

// Installs the set file by file behind the install dialog: the old file is copied
// into "backup/" (a file that is new gets its folders instead), then the downloaded
// one is copied over it, three attempts with 500 ms after each. Each installed file
// leaves the set and steps the dialog's bar. A failed backup, three failed copies or
// a confirmed cancel (looked at between files) roll the backup back and give false.
bool InstallFiles(InstallSet& installSet);
