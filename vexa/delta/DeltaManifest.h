#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The manifest "vexa/deltas.xml" that a version publishes beside its file list: per
// patch the file it rebuilds, the digest of the installed content it applies to, and
// where the patch lies with its size and digest. An entry without a source digest is
// a compressed full copy of the file, which rebuilds it whatever is installed.
struct CDeltaEntry {
    std::wstring fileName;   // the file list's FileName of the file rebuilt
    std::wstring sourceMd5;  // digest of the installed content; empty for a full copy
    std::wstring patchName;  // path below the version's folder, "/vexa/deltas/..."
    std::int64_t size = 0;   // bytes of the patch
    std::wstring md5;        // digest of the patch
};

using CDeltaManifest = std::vector<CDeltaEntry>;

// The folder of the published patches, below the version's folder.
inline constexpr wchar_t kDeltaFolder[] = L"/vexa/deltas/";

// Reads a manifest; false when it cannot be loaded as well-formed XML. Entries whose
// fields are missing or whose patch name is not a clean name inside kDeltaFolder are
// left out.
bool ReadDeltaManifest(const std::wstring& path, CDeltaManifest& manifest);
bool WriteDeltaManifest(const CDeltaManifest& manifest, const std::wstring& path);

// The patch for the file named fileName (ignoring case) from the installed content of
// digest sourceMd5, else its full copy, else null.
const CDeltaEntry* FindDelta(const CDeltaManifest& manifest, const std::wstring& fileName,
                             const std::wstring& sourceMd5);
