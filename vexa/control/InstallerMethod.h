#pragma once

// The installer method: downloads ProductCode + "Installer.exe" of the new version
// into its download folder behind the single-bar dialog (a partial file from an
// earlier run is resumed). False when the download fails or is cancelled.
bool DownloadInstaller();

// Starts the downloaded installer, made executable first, detached and without
// arguments. Whether it started is not looked at.
void RunInstaller();
