#pragma once

// Called on the working thread. Each first waits while the cancel question of its
// dialog is open, then steps its bar to the whole (truncated) percentage of done in
// total. Only exactly 100 closes a dialog.

// libcurl's progress function of the file downloads: the file bar and its "%d %" label.
// Always 0 (go on).
int OnFileProgress(void* data, double downloadTotal, double downloadedNow, double uploadTotal, double uploadedNow);
// libcurl's progress function of the single download: the main bar and label; closes
// the dialog at 100. Always 0.
int OnSingleProgress(void* data, double downloadTotal, double downloadedNow, double uploadTotal, double uploadedNow);
// The overall bar of the file downloads: done files of count; closes the dialog at 100.
void StepOverallProgress(int done, int count);
// The bar of the install dialog: done files of count; closes the dialog at 100.
void StepInstallProgress(int done, int count);
