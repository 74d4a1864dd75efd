#pragma once

// Puts right what a run killed at any moment left, before anything else happens:
// - "backup/" is left only by a run killed during the installation: the old files
//   are moved back, so the tree is the installed version again;
// - a copy killed half-way leaves its hidden temporary file beside its target (or in
//   the backup, which was just moved back): those of the targets an update copies to
//   are deleted (the files a leftover download info file names, the installed list
//   and configuration, the updater's own files, which the client's hand-over
//   replaces), nothing else;
// - a run killed after it put the new "vexa.xml" in place but before the new list
//   left the installed list without its files, and the check will find no update to
//   put that right: the installed version's list, still in the temporary download
//   folder, goes into place (in any other state this is the list already there);
// - the download info file, which named what to put right, is deleted: only an
//   update run that did not end leaves it, and the next download set writes it anew;
// - the old backup a run killed while deleting it left, and the fixed-name
//   temporaries of the installed list, the download info file and "needupdate.txt".
// Runs only under the tree's lock. False when a file of "backup/" could not go back:
// the backup is kept and nothing may be installed over it in this run.
bool HealInterruptedRun();

// True when an update brought the updater's own files and the client has not taken
// them yet: "needupdate.txt" is there and so is the installed version's download
// folder that holds them.
bool IsHandOverPending();

// True when every updater file waiting for the client is there as the installed
// version's list in the temporary download folder describes it (a power loss can
// leave them empty or short); a file that does not match is logged.
bool HandOverFilesMatch();

// Gives up a hand-over whose files cannot be trusted: "needupdate.txt" goes, and the
// installed list no longer names the updater's files, so a later update brings them.
void DropHandOver();
