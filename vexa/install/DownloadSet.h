#pragma once

class CFileList;

// The download half of the file-list update: fetches the new version's file list,
// compares it with the installed one, records the files to fetch in
// "temp_downloadInfo.xml" and downloads them. Each step logs its reason on failure.

// Deletes a stale new list, downloads the published one, then DownloadChangedFiles().
bool DownloadNewFileList();

// Builds the download set, saves it as the download info file and downloads it into
// the version's download folder. An empty set is an error: a version change that
// changes no file cannot be installed.
bool DownloadChangedFiles();

// Fills set with the entries of the new list, in its order, that the installed list
// lacks (names compared ignoring case) or holds with another digest (ignoring case).
// An unreadable installed list counts as empty. Fails when either list is missing,
// the new one cannot be loaded, or one of its names is not a clean relative path.
bool BuildDownloadSet(CFileList& set);
