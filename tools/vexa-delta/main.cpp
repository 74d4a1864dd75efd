// The publisher's delta tool. See kUsageText.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/program_entry.h"
#include "platform/text.h"
#include "vexa/delta/DeltaPublisher.h"

namespace {

constexpr const char* kUsageText = R"(usage:
  vexa-delta --old <old tree> [--old <older tree>...] --new <new tree> --out <folder> [--level <1-22>]

Makes delta updates: small patches that turn a client's installed files into the
new version's, so that a small change to a large file downloads a small patch.
Each tree is a client tree as `vexa -g` lists it, with its vexa/filelist.xml.

For each file of the new tree whose digest differs from an old tree's, the tool
writes a patch from that old content to the new one (zstd's patch-from mode with
long-distance matching, at --level, 9 by default), named by the two digests:
  <folder>/vexa/deltas/<old md5>-<new md5>.patch
One old content has one patch whatever version it came from. For a file new or
changed in any old tree it also writes a zstd-compressed full copy
  <folder>/vexa/deltas/<new md5>.zst
A patch or copy is kept only when it is at most half the file's size; files above
2 GiB (zstd's window) get none. Every file that gets none is named in the output,
with the reason. Levels above 15 (zstd's optimal parsers) make larger patches of
large files that moved or repeat, and take many times longer.

The manifest <folder>/vexa/deltas.xml lists, per patch or copy: FileName,
SourceMd5 (empty for a full copy), PatchName, Size and Md5 of the patch.

Publishing: <folder> is the new version's folder on the update server,
<ProductCode>/<CurVersion>/, beside the version's files and vexa/filelist.xml.
Sign the manifest where it lies, like the file list:
  vexa-sign sign update.key <folder>/vexa/deltas.xml
and publish vexa/deltas.xml.sig beside it. An updater that has update.pub uses
the patches only when the manifest's signature verifies; every patch is checked
against the digest of the signed file list after it is applied, and any failure
falls back to downloading the whole file. Updaters without delta support never
ask for any of these files.

Exit codes: 0 done, 1 a list cannot be read, a file does not match its list, or a
patch or the manifest cannot be written, 2 usage.
)";

int Usage(bool asked)
{
    std::fputs(kUsageText, asked ? stdout : stderr);
    return asked ? 0 : 2;
}

}  // namespace

int ProgramMain(int argc, char** argv)
{
    DeltaOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--help")
            return Usage(true);
        if (i + 1 >= argc)
            return Usage(false);
        const std::wstring value = platform::WideFromUtf8(argv[++i]);
        if (argument == "--old")
            options.oldTrees.push_back(value);
        else if (argument == "--new")
            options.newTree = value;
        else if (argument == "--out")
            options.outFolder = value;
        else if (argument == "--level")
            options.level = std::atoi(argv[i]);
        else
            return Usage(false);
    }
    if (options.oldTrees.empty() || options.newTree.empty() || options.outFolder.empty() || options.level < 1 ||
        options.level > 22)
        return Usage(false);
    return PublishDeltas(options, stdout);
}
