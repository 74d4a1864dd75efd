#include "vexa/delta/FilePatch.h"

#include "platform/files.h"
#include "platform/mapped_file.h"
#include "vexa/download/CDigestPipe.h"
#include "vexa/install/Md5.h"

#include <zstd.h>

#include <algorithm>
#include <bit>
#include <cstdio>
#include <memory>

namespace {

constexpr std::size_t kOutputBlock = 1u << 20;
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

bool SetCompressParameters(ZSTD_CCtx* context, int level, std::uint64_t oldSize, std::uint64_t newSize)
{
    const auto set = [context](ZSTD_cParameter parameter, int value) {
        return !ZSTD_isError(ZSTD_CCtx_setParameter(context, parameter, value));
    };
    return set(ZSTD_c_compressionLevel, level) && set(ZSTD_c_windowLog, PatchWindowLog(oldSize, newSize)) &&
           set(ZSTD_c_enableLongDistanceMatching, 1) && set(ZSTD_c_checksumFlag, 0) &&
           !ZSTD_isError(ZSTD_CCtx_setPledgedSrcSize(context, newSize));
}

// Decodes the whole patch into file, digesting what is written; false on any fault.
PatchResult Decode(ZSTD_DCtx* context, const platform::CMappedFile& patch, std::FILE* file, std::uint64_t newSize,
                   CDigestPipe& pipe)
{
    const std::unique_ptr<unsigned char[]> block(new unsigned char[kOutputBlock]);
    ZSTD_inBuffer input{patch.Data(), static_cast<std::size_t>(patch.Size()), 0};
    std::uint64_t written = 0;
    std::size_t pending = 1;
    while (pending != 0) {
        ZSTD_outBuffer output{block.get(), kOutputBlock, 0};
        pending = ZSTD_decompressStream(context, &output, &input);
        if (ZSTD_isError(pending) || output.pos > newSize - written)
            return PatchResult::Failed;
        if (std::fwrite(block.get(), 1, output.pos, file) != output.pos)
            return PatchResult::WriteFailed;
        pipe.Feed(block.get(), output.pos);
        written += output.pos;
        // Input used up with the frame unfinished: the patch is cut short.
        if (pending != 0 && input.pos == input.size && output.pos < kOutputBlock)
            return PatchResult::Failed;
    }
    // One frame only: bytes after it are not part of a patch this code wrote.
    return input.pos == input.size && written == newSize ? PatchResult::Done : PatchResult::Failed;
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
        ZSTD_isError(ZSTD_DCtx_refPrefix(context.get(), oldFile.Data(), oldFile.Size())))
        return PatchResult::Failed;
    std::FILE* file = platform::OpenFileStream(outPath, "wb");
    if (!file)
        return PatchResult::WriteFailed;
    CDigestPipe pipe;
    PatchResult result = pipe.Begin() ? Decode(context.get(), patch, file, newSize, pipe) : PatchResult::Failed;
    const Md5Digest written = pipe.End();
    const bool flushed = std::fflush(file) == 0;
    if (std::fclose(file) != 0 || !flushed)
        result = result == PatchResult::Done ? PatchResult::WriteFailed : result;
    if (result == PatchResult::Done)
        digest = Md5Hex(written);
    return result;
}
