#pragma once

// A run killed during the installation leaves "backup/" behind: the old files are
// moved back, so the tree is the installed version again before anything starts
// the client. Nothing happens when there is no backup folder.
void RecoverInterruptedInstallation();

// A run killed in the middle of a copy leaves the copy's hidden temporary file beside
// its target. Those of the targets an update run copies to (the files named by the
// download info file a killed run left, the installed list and configuration, the
// updater's own files) are deleted; nothing else is touched. Call it after the
// recovery, which moves the backup's leftovers beside their targets.
void RemoveInterruptedCopies();

// A run killed after it put the new "vexa.xml" in place but before the new list
// leaves the installed list without the files of that run, and the next check finds
// no update to put it right. When the download info file and the installed
// version's new list are still there, the list goes into place now; in any other
// state this copies the list the installed version already has.
void FinishInterruptedListReplacement();

// True when an update brought the updater's own files and the client has not taken
// them yet: "needupdate.txt" is there and so is the installed version's download
// folder that holds them.
bool IsHandOverPending();
