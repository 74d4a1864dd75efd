#pragma once

// Moves every file of "backup/" back to its place below the root folder, one by one
// (a link as the link), then deletes the backup folder. A file that cannot go back
// is logged and the backup folder kept, as the only copy of it, for the next run;
// false then. Files that were new in the run (never backed up) stay in place.
bool RollbackFromBackup();
