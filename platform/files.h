#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// A wide path as the file system sees it: its UTF-8 bytes.
std::string NativePath(std::wstring_view path);

// True when the path names anything present: a file or a folder.
bool FileExists(const std::wstring& path);

// Creates the folder and every missing parent. True when the folder exists afterwards.
bool CreateFolders(const std::wstring& folder);

// Deletes a file or a folder with everything in it. 0 on success, else the error
// number (a path that does not exist is an error).
int DeleteTree(const std::wstring& path);

// Deletes one file (never a folder). False when it could not be deleted.
bool RemoveFile(const std::wstring& path);

// Deletes one file if it is there. True when none is left: deleted, or never there.
bool RemoveFileIfPresent(const std::wstring& path);

// Size of a regular file. On failure returns false and sets error to the error number.
bool FileSize(const std::wstring& path, std::uint64_t& size, int& error);

// Copies a file over the target: the bytes go to a temporary file in the target's
// folder, which reaches the disk and is then renamed over the target, so nobody sees
// a half-written file, a crash leaves the old or the new file, and a running program
// can be replaced. A file that replaces one keeps the replaced file's permissions
// (an updated program stays executable); a new file takes the source's. On failure
// error is the error number.
bool CopyFileOver(const std::wstring& from, const std::wstring& to);
bool CopyFileOver(const std::wstring& from, const std::wstring& to, int& error);

// Deletes what copies over these targets left when their process was killed: the
// temporary files of CopyFileOver beside each target (".<name>.copy-" and six
// letters or digits). Nothing else is touched, whatever its name resembles. Each
// folder is listed once.
void RemoveCopyLeftovers(const std::vector<std::wstring>& targets);

// Renames a file or folder; a file replaces a file of the target name.
bool RenamePath(const std::wstring& from, const std::wstring& to);

// Copies a file over the target as CopyFileOver does; a symbolic link is copied as the
// link (the same text), never as what it points to.
bool CopyEntryOver(const std::wstring& from, const std::wstring& to, int& error);

// Moves every file of the folder (hidden ones too; a symbolic link as the link) to
// the same place below the target folder, one by one, making the folders it needs:
// renamed, or, where no rename can do it (another file system, a folder of the target
// that is a link), copied over the target and then deleted. Returns the paths of the
// files that could not be moved; they stay where they were, and so do the folders.
std::vector<std::wstring> MoveFilesInto(const std::wstring& from, const std::wstring& to);

// Writes what the file holds to the disk. False when it cannot be opened or synced.
bool SyncFile(const std::wstring& path);
// Writes the folder that holds the path to the disk, so a rename or a new name in it
// survives a power loss.
bool SyncFolderOf(const std::wstring& path);

// Lets whoever may read the file run it too (a downloaded program).
bool MakeExecutable(const std::wstring& path);

// Creates the file with these bytes; false when it exists already (never overwritten) or
// cannot be written whole. A private file is readable by its owner alone.
bool WriteNewFile(const std::wstring& path, std::string_view bytes, bool isPrivate);

// fopen for a wide path; the stream is not inherited by started programs.
std::FILE* OpenFileStream(const std::wstring& path, const char* mode);

// Empties an open stream's file, so that what is written next starts it afresh.
bool TruncateFileStream(std::FILE* file);

}  // namespace platform
