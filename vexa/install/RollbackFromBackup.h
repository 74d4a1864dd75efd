#pragma once

// Moves everything in "backup/" back over the root folder, merging into folders
// that exist, then deletes the backup folder with whatever could not be moved.
// Files that were new in the run (never backed up) stay in place.
void RollbackFromBackup();
