#pragma once
#include "vexa/install/InstallSet.h"

// The update mode and the update run. One process-wide object, created on first use
// and never destroyed; it holds the install set between the download and the
// installation.
class CUpdater {
public:
    CUpdater() = default;
    CUpdater(const CUpdater&) = delete;
    CUpdater& operator=(const CUpdater&) = delete;

    // Checks behind the splash, asks when the update is optional, applies it, and
    // starts the installed client on every path that does not end in a started new
    // client or installer.
    void RunUpdateMode();

    // Applies the update by the method the published "vexa.xml" names. True when the
    // new client or the installer has been started; false after a failure that has
    // been logged and shown.
    bool ApplyUpdate();

private:
    bool ApplyByFileList();
    bool ApplyByInstaller();

    InstallSet m_installSet;
};

CUpdater& GetUpdater();
