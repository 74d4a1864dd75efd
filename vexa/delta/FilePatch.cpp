#include "vexa/delta/FilePatch.h"

#include "platform/mapped_file.h"
#include "platform/mapped_output_file.h"
#include "vexa/download/CDigestPipe.h"
#include "vexa/install/Md5.h"

// For ZSTD_d_stableOutBuffer: decoding straight into the mapped output file spares
// the window-sized buffer of streaming decoding and a copy of every byte out of it.
#define ZSTD_STATIC_LINKING_ONLY
#include <zstd.h>

#include <algorithm>
#include <bit>
#include <memory>

namespace {

// Patch bytes handed to the decoder per call; what it wrote in between goes to the
// digest thread. Small, since a few bytes of patch can make megabytes of output: the
// digest should start early and not be left far behind at the end.
constexpr std::size_t kInputStep = 1u << 10;
// zstd's bounds of windowLog (its own constants are in the static-only part of the header).
constexpr int kMinWindowLog = 10;
constexpr int kMaxWindowLog = 31;

struct CompressContextFree {
    void operator()(ZSTD_CCtx* context) const { ZSTD_freeCCtx(context); }
};
struct DecompressContextFree {
    void operator()(ZSTD_DCtx* context) const { ZSTD_freeDCtx(context); }
};
using CompressContext = std::unique_ptr<ZSTD_CCtx, CompressContextFree>;
using DecompressContext = std::unique_ptr<ZSTD_DCtx, DecompressContextFree>;

// Maps path, or nothing when it is empty (no old content).
bool MapOptional(platform::CMappedFile& file, const std::wstring& path)
{
    return path.empty() || file.Open(path);
}

// Long-distance matching keeps 8 positions per hash bucket by default. A pack whose
// blocks repeat puts every copy of a block in one bucket, so the old file's copy at
// the same place, whose match runs on through the blocks after it, is soon pushed
// out by others that match one block only, and each 128 KiB block of the patch then
// costs two sequences instead of one. 256 positions per bucket, taken every 1 KiB
// rather than every 128 bytes to keep the search affordable, find it. The optimal
// parsers (levels above 15) take these long matches apart instead, so they keep
// zstd's defaults.
bool SetLongMatchParameters(ZSTD_CCtx* context, int level, std::uint64_t oldSize, std::uint64_t newSize)
{
    if (oldSize == 0 || ZSTD_getCParams(level, newSize, oldSize).strategy >= ZSTD_btopt)
        return true;
    return !ZSTD_isError(ZSTD_CCtx_setParameter(context, ZSTD_c_ldmBucketSizeLog, 8)) &&
           !ZSTD_isError(ZSTD_CCtx_setParameter(context, ZSTD_c_ldmHashRateLog, 10));
}

bool SetCompressParameters(ZSTD_CCtx* context, int level, std::uint64_t oldSize, std::uint64_t newSize)
{
    const auto set = [context](ZSTD_cParameter parameter, int value) {
        return !ZSTD_isError(ZSTD_CCtx_setParameter(context, parameter, value));
    };
    return set(ZSTD_c_compressionLevel, level) && set(ZSTD_c_windowLog, PatchWindowLog(oldSize, newSize)) &&
           set(ZSTD_c_enableLongDistanceMatching, 1) && SetLongMatchParameters(context, level, oldSize, newSize) &&
           set(ZSTD_c_checksumFlag, 0) && !ZSTD_isError(ZSTD_CCtx_setPledgedSrcSize(context, newSize));
}

// Decodes the whole patch into the output's memory, lending what each step wrote to
// the digest thread, which follows the decoder through the mapped file; the patch
// must make exactly the output's size in one frame.
PatchResult Decode(ZSTD_DCtx* context, const platform::CMappedFile& patch, const platform::CMappedOutputFile& out,
                   CDigestPipe& pipe)
{
    ZSTD_outBuffer output{out.Data(), static_cast<std::size_t>(out.Size()), 0};
    std::size_t consumed = 0;
    std::size_t pending = 1;
    while (pending != 0) {
        ZSTD_inBuffer input{patch.Data(), std::min<std::size_t>(patch.Size(), consumed + kInputStep), consumed};
        const std::size_t written = output.pos;
        pending = ZSTD_decompressStream(context, &output, &input);
        if (ZSTD_isError(pending))
            return PatchResult::Failed;
        pipe.Lend(out.Data() + written, output.pos - written);
        // No step forward: the patch is cut short or makes more than the output holds.
        if (pending != 0 && input.pos == consumed && output.pos == written)
            return PatchResult::Failed;
        consumed = input.pos;
    }
    // One frame only: bytes after it are not part of a patch this code wrote.
    return consumed == patch.Size() && output.pos == output.size ? PatchResult::Done : PatchResult::Failed;
}

}  // namespace

int PatchWindowLog(std::uint64_t oldSize, std::uint64_t newSize)
{
    const std::uint64_t reach = std::max<std::uint64_t>(oldSize + newSize, 1);
    const int log = static_cast<int>(std::bit_width(reach - 1));
    return std::clamp(log, kMinWindowLog, kMaxWindowLog);
}

PatchResult MakeFilePatch(const std::wstring& oldPath, const std::wstring& newPath, int level, std::string& patch)
{
    platform::CMappedFile oldFile;
    platform::CMappedFile newFile;
    if (!MapOptional(oldFile, oldPath) || !newFile.Open(newPath))
        return PatchResult::Unreadable;
    if (oldFile.Size() > kMaxPatchedFileSize || newFile.Size() > kMaxPatchedFileSize)
        return PatchResult::TooLarge;
    const CompressContext context(ZSTD_createCCtx());
    if (!context || !SetCompressParameters(context.get(), level, oldFile.Size(), newFile.Size()) ||
        ZSTD_isError(ZSTD_CCtx_refPrefix(context.get(), oldFile.Data(), oldFile.Size())))
        return PatchResult::Failed;
    const std::size_t bound = ZSTD_compressBound(newFile.Size());
    // Not value-initialised: only the pages the patch fills are ever touched.
    const std::unique_ptr<char[]> buffer(new char[bound]);
    const std::size_t size = ZSTD_compress2(context.get(), buffer.get(), bound, newFile.Data(), newFile.Size());
    if (ZSTD_isError(size))
        return PatchResult::Failed;
    patch.assign(buffer.get(), size);
    return PatchResult::Done;
}

PatchResult ApplyFilePatch(const std::wstring& oldPath, const std::wstring& patchPath, const std::wstring& outPath,
                           std::uint64_t newSize, std::wstring& digest)
{
    platform::CMappedFile oldFile;
    platform::CMappedFile patch;
    if (!MapOptional(oldFile, oldPath) || !patch.Open(patchPath))
        return PatchResult::Unreadable;
    if (oldFile.Size() > kMaxPatchedFileSize || newSize > kMaxPatchedFileSize)
        return PatchResult::TooLarge;
    const DecompressContext context(ZSTD_createDCtx());
    if (!context ||
        ZSTD_isError(ZSTD_DCtx_setParameter(context.get(), ZSTD_d_windowLogMax, PatchWindowLog(oldFile.Size(), newSize))) ||
        ZSTD_isError(ZSTD_DCtx_setParameter(context.get(), ZSTD_d_stableOutBuffer, 1)) ||
        ZSTD_isError(ZSTD_DCtx_refPrefix(context.get(), oldFile.Data(), oldFile.Size())))
        return PatchResult::Failed;
    platform::CMappedOutputFile out;
    if (!out.Create(outPath, newSize))
        return PatchResult::WriteFailed;
    CDigestPipe pipe;
    PatchResult result = pipe.Begin() ? Decode(context.get(), patch, out, pipe) : PatchResult::Failed;
    const Md5Digest written = pipe.End();
    if (!out.Close() && result == PatchResult::Done)
        result = PatchResult::WriteFailed;
    if (result == PatchResult::Done)
        digest = Md5Hex(written);
    return result;
}
