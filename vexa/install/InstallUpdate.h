#pragma once
#include "vexa/install/InstallSet.h"

// The install step of the file-list update: collects the install set, installs it
// behind the install dialog, puts the new "filelist.xml" and "vexa.xml" in place and
// starts the new client ("-updatevexa" when the updater's own files wait in
// "needupdate.txt", else "-onlymain" and the temporary download folder goes). False,
// logged, when any step fails.
bool InstallUpdate(InstallSet& installSet);
