#pragma once

// A run killed during the installation leaves "backup/" behind: the old files are
// moved back, so the tree is the installed version again before anything starts
// the client. Nothing happens when there is no backup folder.
void RecoverInterruptedInstallation();

// True when an update brought the updater's own files and the client has not taken
// them yet: "needupdate.txt" is there and so is the installed version's download
// folder that holds them.
bool IsHandOverPending();
