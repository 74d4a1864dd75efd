#include "vexa/delta/DeltaPublisher.h"

#include "platform/files.h"
#include "platform/text.h"
#include "vexa/delta/DeltaManifest.h"
#include "vexa/delta/FilePatch.h"
#include "vexa/install/CleanFileName.h"
#include "vexa/install/FileList.h"
#include "vexa/install/Md5.h"

#include <cstdint>
#include <set>
#include <string>

namespace {

// A patch is worth a client's extra request and the work of applying it only when
// it saves at least half the file; a compressed full copy only when it saves as much.
constexpr std::uint64_t kWorthwhileNumerator = 1;
constexpr std::uint64_t kWorthwhileDenominator = 2;

std::string Text(const std::wstring& text)
{
    return platform::Utf8FromWide(text);
}

bool IsWorthwhile(std::uint64_t patchSize, std::int64_t fileSize)
{
    return patchSize * kWorthwhileDenominator <= static_cast<std::uint64_t>(fileSize) * kWorthwhileNumerator;
}

class CDeltaRun {
public:
    CDeltaRun(const DeltaOptions& options, std::FILE* out) : options_(options), out_(out) {}

    int Run()
    {
        CFileList newList;
        if (!LoadList(options_.newTree, newList))
            return 1;
        std::vector<CFileList> oldLists(options_.oldTrees.size());
        for (std::size_t i = 0; i < oldLists.size(); ++i)
            if (!LoadList(options_.oldTrees[i], oldLists[i]))
                return 1;
        if (!platform::CreateFolders(options_.outFolder + kDeltaFolder)) {
            std::fprintf(out_, "cannot create %s\n", Text(options_.outFolder + kDeltaFolder).c_str());
            return 1;
        }
        for (const CFileListInfo& entry : newList)
            if (!IsCleanFileName(entry.GetFileName()))
                std::fprintf(out_, "%s: no patch: not a clean file name\n", Text(entry.GetFileName()).c_str());
            else if (!PatchFile(entry, oldLists))
                return 1;
        const std::wstring manifestPath = options_.outFolder + L"/vexa/deltas.xml";
        if (!WriteDeltaManifest(manifest_, manifestPath)) {
            std::fprintf(out_, "cannot write %s\n", Text(manifestPath).c_str());
            return 1;
        }
        std::fprintf(out_, "%s: %zu patches and full copies\n", Text(manifestPath).c_str(), manifest_.size());
        return 0;
    }

private:
    bool LoadList(const std::wstring& tree, CFileList& list)
    {
        const std::wstring path = tree + L"/vexa/filelist.xml";
        if (platform::FileExists(path) && LoadFileList(path, list))
            return true;
        std::fprintf(out_, "cannot read the file list %s (make it with vexa -g)\n", Text(path).c_str());
        return false;
    }

    // A file's bytes must be those its list names, or a client would fetch a patch
    // that can only fail.
    bool MatchesList(const std::wstring& tree, const CFileListInfo& entry)
    {
        const std::wstring digest = FileMd5Hex(tree + entry.GetFileName());
        if (EqualIgnoringCase(digest, entry.GetMd5()))
            return true;
        std::fprintf(out_, "%s%s: its digest %s is not the %s of its file list\n", Text(tree).c_str(),
                     Text(entry.GetFileName()).c_str(), Text(digest).c_str(), Text(entry.GetMd5()).c_str());
        return false;
    }

    // Patches from every old content of the file that differs from the new one, then
    // a full copy when the file is new or changed in any old tree.
    bool PatchFile(const CFileListInfo& entry, const std::vector<CFileList>& oldLists)
    {
        std::set<std::wstring> sources;
        bool changed = false;
        for (std::size_t i = 0; i < oldLists.size(); ++i) {
            const CFileListInfo* old = oldLists[i].Find(entry.GetFileName());
            changed = changed || !old || !EqualIgnoringCase(old->GetMd5(), entry.GetMd5());
            if (!old || EqualIgnoringCase(old->GetMd5(), entry.GetMd5()) || !sources.insert(Lower(old->GetMd5())).second)
                continue;
            if (!MatchesList(options_.oldTrees[i], *old) || !MatchesList(options_.newTree, entry))
                return false;
            if (!AddPatch(entry, options_.oldTrees[i] + old->GetFileName(), Lower(old->GetMd5())))
                return false;
        }
        return !changed || AddPatch(entry, L"", L"");
    }

    static std::wstring Lower(std::wstring digest)
    {
        for (wchar_t& c : digest)
            if (c >= L'A' && c <= L'F')
                c = static_cast<wchar_t>(c - L'A' + L'a');
        return digest;
    }

    // sourceMd5 empty: the full copy.
    bool AddPatch(const CFileListInfo& entry, const std::wstring& oldPath, const std::wstring& sourceMd5)
    {
        const std::string name = Text(entry.GetFileName());
        const std::string what = sourceMd5.empty() ? "full copy" : "patch from " + Text(sourceMd5);
        std::string patch;
        switch (MakeFilePatch(oldPath, options_.newTree + entry.GetFileName(), options_.level, patch)) {
        case PatchResult::Done:
            break;
        case PatchResult::TooLarge:
            std::fprintf(out_, "%s: no %s: larger than 2 GiB, beyond zstd's window\n", name.c_str(), what.c_str());
            return true;
        default:
            std::fprintf(out_, "%s: no %s: zstd could not make it\n", name.c_str(), what.c_str());
            return true;
        }
        if (!IsWorthwhile(patch.size(), entry.GetSize())) {
            std::fprintf(out_, "%s: no %s: %zu bytes would save less than half of the file's %lld\n", name.c_str(),
                         what.c_str(), patch.size(), static_cast<long long>(entry.GetSize()));
            return true;
        }
        CDeltaEntry delta;
        delta.fileName = entry.GetFileName();
        delta.sourceMd5 = sourceMd5;
        const std::wstring target = Lower(entry.GetMd5());
        delta.patchName = std::wstring(kDeltaFolder) + (sourceMd5.empty() ? target + L".zst" : sourceMd5 + L"-" + target + L".patch");
        delta.size = static_cast<std::int64_t>(patch.size());
        delta.md5 = Md5Hex(Md5Of(patch));
        if (!WritePatch(options_.outFolder + delta.patchName, patch))
            return false;
        std::fprintf(out_, "%s: %s, %zu bytes (%.2f %% of %lld): %s\n", name.c_str(), what.c_str(), patch.size(),
                     100.0 * static_cast<double>(patch.size()) / static_cast<double>(entry.GetSize()),
                     static_cast<long long>(entry.GetSize()), Text(delta.patchName).c_str());
        manifest_.push_back(std::move(delta));
        return true;
    }

    static Md5Digest Md5Of(const std::string& bytes)
    {
        Md5Context context;
        Md5Init(context);
        Md5Update(context, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
        Md5Digest digest;
        Md5Final(context, digest);
        return digest;
    }

    bool WritePatch(const std::wstring& path, const std::string& patch)
    {
        std::FILE* file = platform::OpenFileStream(path, "wb");
        const bool written = file && std::fwrite(patch.data(), 1, patch.size(), file) == patch.size();
        if (file && std::fclose(file) == 0 && written)
            return true;
        std::fprintf(out_, "cannot write %s\n", Text(path).c_str());
        return false;
    }

    const DeltaOptions& options_;
    std::FILE* out_;
    CDeltaManifest manifest_;
};

}  // namespace

int PublishDeltas(const DeltaOptions& options, std::FILE* out)
{
    return CDeltaRun(options, out).Run();
}
