#pragma once
#include <cstdint>
#include <string>
#include <vector>

// True when the path names a file or a folder that is present.
bool FileExists(const std::wstring& path);

// The folder part of a path: up to and including the last '/', else the last '\'.
// A path ending in a separator, or without any, comes back whole. Not for empty paths.
std::wstring GetPathDir(const std::wstring& path);

// Creates the folder of the path with all missing parents; errors are ignored.
void EnsurePathDir(const std::wstring& path);

// Deletes the folder with everything in it: 0 on success, else an error code.
int DeleteTree(const std::wstring& folder);

// The fixed-name temporary a file is written to before it is renamed into place: a
// hidden ".<name>.new" beside it, so the rename stays within one file system and the
// file-list tool never lists a leftover.
std::wstring TemporaryPathBeside(const std::wstring& path);

void DeleteTempDownloadFolder();
void DeleteBackupFolder();
// The folder a run killed while deleting its old backup leaves.
void DeleteDoomedBackupFolder();
void DeleteNeedUpdateFile();
void DeleteDownloadInfoFile();

// Writes "needupdate.txt" afresh for the client: the lines in code page 936, each
// ending in the bytes 0D 0D 0A, which the client expects. False when it cannot be written.
bool WriteNeedUpdateFile(const std::vector<std::wstring>& lines);

// Copies the downloaded "vexa.xml" over the installed one.
bool CopyNewConfig();

// The file's size. On failure prints the reason to the console.
bool GetFileSize(const std::wstring& path, std::uint64_t& size);
// The console line of a file that could not be measured, error being the system's code.
void ReportFileSizeFailure(const std::wstring& path, int error);
