#pragma once
#include <cstdio>
#include <string>
#include <vector>

// The publisher's side of delta updates (the tool vexa-delta): patches from each
// old version's files to the new version's, and the manifest that lists them.
struct DeltaOptions {
    std::vector<std::wstring> oldTrees;  // client trees, each with its "vexa/filelist.xml"
    std::wstring newTree;
    std::wstring outFolder;  // becomes the version's folder on the update server
    int level = 9;           // zstd's compression level
};

// Writes the patches under outFolder + "/vexa/deltas/" and the manifest
// outFolder + "/vexa/deltas.xml", and reports every file on out: the patch it got,
// or why it got none. 0 when the manifest was written; 1 when a list cannot be read,
// a file does not match its list, or a patch or the manifest cannot be written.
int PublishDeltas(const DeltaOptions& options, std::FILE* out);
