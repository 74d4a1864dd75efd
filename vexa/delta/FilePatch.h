#pragma once
#include <cstdint>
#include <string>

// Patches between two versions of a file: a zstd frame of the new content compressed
// with the old content as its prefix (long-distance matching finds what the two share
// wherever it moved). With no old content the same frame is the new content
// compressed on its own, a full copy.

// zstd's window cannot reach further back than 2 GiB, so a larger file gets no patch.
constexpr std::uint64_t kMaxPatchedFileSize = std::uint64_t{1} << 31;

// The window a patch from oldSize to newSize bytes needs, as zstd's windowLog: it
// reaches from the end of the new content back to the start of the old.
int PatchWindowLog(std::uint64_t oldSize, std::uint64_t newSize);

enum class PatchResult {
    Done,
    TooLarge,    // a file above kMaxPatchedFileSize
    Unreadable,  // a file cannot be opened or mapped
    Failed,      // zstd failed (a make) or the patch does not apply (an apply)
    WriteFailed,
};

// Makes the patch from oldPath (empty: a full copy) to newPath into patch. level is
// zstd's compression level.
PatchResult MakeFilePatch(const std::wstring& oldPath, const std::wstring& newPath, int level, std::string& patch);

// Applies the patch at patchPath with oldPath (empty: a full copy) as prefix, writing
// the result to outPath, which is created or emptied. The old file is read through a
// memory map. The result may not exceed newSize bytes, nor the patch ask for a window
// larger than the two sizes need, so a hostile patch cannot make the updater allocate
// or write without bound. On Done, digest holds the MD5 of what was written, taken
// while writing.
PatchResult ApplyFilePatch(const std::wstring& oldPath, const std::wstring& patchPath, const std::wstring& outPath,
                           std::uint64_t newSize, std::wstring& digest);
