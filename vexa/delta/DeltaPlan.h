#pragma once
#include <string>

#include "vexa/delta/DeltaManifest.h"

class CFileListInfo;

// The patches a run may use: the version's manifest, matched against the installed
// client's files as they are on disk (their digests are measured, since an installed
// file may differ from what the installed list says).
class CDeltaPlan {
public:
    CDeltaPlan() = default;
    // installedRoot: the client's root folder without its trailing '/'.
    CDeltaPlan(CDeltaManifest manifest, std::wstring installedRoot);

    bool IsEmpty() const { return manifest_.empty(); }

    // The patch that rebuilds entry's file from its installed copy, else its full
    // copy, else null. sourcePath gets the installed file a patch applies to (empty
    // for a full copy). Only files the manifest names are measured.
    const CDeltaEntry* Find(const CFileListInfo& entry, std::wstring& sourcePath) const;

private:
    CDeltaManifest manifest_;
    std::wstring installedRoot_;
};

// Fetches the manifest of the new version into its download folder. No manifest (a
// 404, or any failed transfer) means no deltas and is not a failure. With
// "update.pub" present a manifest whose signature does not verify is ignored with a
// log line. The plan is empty whenever there is nothing to use. installedRoot: the
// client's root folder without its trailing '/'.
CDeltaPlan FetchDeltaPlan(const std::wstring& installedRoot);
