#include "vexa/download/DownloadFiles.h"

#include "platform/dialog.h"
#include "platform/files.h"
#include "vexa/control/FileUtils.h"
#include "vexa/control/UpdateLog.h"
#include "vexa/delta/DeltaPlan.h"
#include "vexa/delta/FilePatch.h"
#include "vexa/download/CDownloadSink.h"
#include "vexa/download/CDigestPipe.h"
#include "vexa/download/CancelledBox.h"
#include "vexa/download/CertificateAuthority.h"
#include "vexa/download/DialogThreads.h"
#include "vexa/download/DownloadUiState.h"
#include "vexa/download/ProgressFunctions.h"
#include "vexa/download/TransferOptions.h"
#include "vexa/download/UrlPath.h"
#include "vexa/install/FileList.h"
#include "vexa/install/Md5.h"
#include "vexa/install/SelfUpdateEntry.h"

#include <curl/curl.h>

#include <cstdio>
#include <string>

namespace {

constexpr long kConnectTimeoutSeconds = 15;
// From this many bytes to fetch on, a file is digested on the pipe's thread: below it
// the hand-off and the wake-ups cost more than the overlap gains.
constexpr std::uint64_t kPipedDigestBytes = 8u << 20;

// What the transfers of the whole set share: one easy handle, reset before each file,
// which keeps its connection cache, so every file after the first reuses the
// connection; the trusted authorities, looked up once; and the thread that digests
// large files beside their transfer.
class CSetTransfer {
public:
    CSetTransfer() : curl_(curl_easy_init()), authority_(FindCertificateAuthority()) {}
    ~CSetTransfer()
    {
        if (curl_)
            curl_easy_cleanup(curl_);
    }
    CSetTransfer(const CSetTransfer&) = delete;
    CSetTransfer& operator=(const CSetTransfer&) = delete;

    CURL* Get() const { return curl_; }
    CDigestPipe& Pipe() { return pipe_; }

    void SetEntryOptions(const std::wstring& url, CDownloadSink& sink) const
    {
        curl_easy_reset(curl_);
        SetTargetOptions(curl_, url, sink);
        curl_easy_setopt(curl_, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(curl_, CURLOPT_XFERINFOFUNCTION, ProgressInBytes<OnFileProgress>);
        curl_easy_setopt(curl_, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
        ApplyCertificateAuthority(curl_, authority_);
        SetTransferLimits(curl_, TransferKind::LargeFile);
        SetReceiveBuffer(curl_);
    }

private:
    CURL* curl_;
    std::string authority_;
    CDigestPipe pipe_;
};

// Our own stops (an acceptable 416, the file at its size) leave the verdict to the
// digest; a refused answer is reported by its status, anything else by libcurl's code.
bool ReportTransfer(CURLcode result, const CDownloadSink& sink, const std::wstring& url)
{
    using State = CDownloadSink::State;
    if (sink.GetState() == State::StoppedEarly || (result == CURLE_OK && sink.GetState() == State::Writing))
        return true;
    LogFailedTransfer(result, sink, url);
    return false;
}

// Fetches what the local file lacks. The file is closed on every path. writtenDigest
// gets the file's digest when the transfer wrote all of it, else stays empty.
bool Transfer(CSetTransfer& transfer, std::FILE* file, const CFileListInfo& entry, const std::wstring& url,
              const std::wstring& localPath, std::uint64_t localSize, std::wstring& writtenDigest)
{
    CURL* curl = transfer.Get();
    const std::uint64_t expected = entry.GetSize() < 0 ? 0 : static_cast<std::uint64_t>(entry.GetSize());
    CDownloadSink sink(file, curl, localSize, expected, true);
    sink.DigestWrites(expected >= localSize + kPipedDigestBytes ? &transfer.Pipe() : nullptr);
    g_downloadUiState.filePercent = 0;
    transfer.SetEntryOptions(url, sink);
    if (localSize != 0)
        SetResumeRange(curl, localSize);

    platform::SetControlText(g_downloadUiState.mainLabel, entry.GetFileName());
    const CURLcode result = curl_easy_perform(curl);
    sink.Finish();
    if (!ReportTransfer(result, sink, url)) {
        std::fclose(file);
        // A file the disk would not take (full) only holds the space the next run needs.
        if (sink.GetState() == CDownloadSink::State::WriteFailed)
            platform::RemoveFile(localPath);
        if (g_downloadUiState.cancelled == 1)
            ShowCancelledBox();
        return false;
    }
    const bool flushed = std::fflush(file) == 0;
    if (std::fclose(file) != 0 || !flushed) {
        WriteLog(L"无法保存下载文件 %s ...", localPath.c_str());
        platform::RemoveFile(localPath);
        return false;
    }
    writtenDigest = sink.WholeFileMd5Hex();
    return true;
}

bool DigestMatches(const CFileListInfo& entry, const std::wstring& localPath, const std::wstring& digest)
{
    if (EqualIgnoringCase(digest, entry.GetMd5()))
        return true;
    WriteLog(L"文件 %s 下载失败。OriMd5:%s, NewMd5:%s", localPath.c_str(), entry.GetMd5().c_str(), digest.c_str());
    platform::RemoveFile(localPath);
    return false;
}

enum class DeltaOutcome { Rebuilt, NotUsed, Cancelled };

bool DownloadEntry(CSetTransfer& transfer, const CFileListInfo& entry, const std::wstring& baseUrl,
                   const std::wstring& localBase, const CDeltaPlan* deltas);

DeltaOutcome FallBack(const std::wstring& localPath)
{
    WriteLog(L"文件 %s 无法由增量补丁生成, 改为下载整个文件", localPath.c_str());
    return DeltaOutcome::NotUsed;
}

// Rebuilds the file at localPath from a patch and the installed copy (or from a full
// copy): the patch is fetched like any file of the set, into the version's folder
// below its own name, so a cancelled one resumes on the next run. digest gets the
// rebuilt file's digest, which must be the list's.
DeltaOutcome RebuildFromDelta(CSetTransfer& transfer, const CDeltaPlan& deltas, const CFileListInfo& entry,
                              const std::wstring& baseUrl, const std::wstring& localBase,
                              const std::wstring& localPath, std::wstring& digest)
{
    std::wstring source;
    const CDeltaEntry* delta = entry.GetSize() < 0 ? nullptr : deltas.Find(entry, source);
    if (!delta)
        return DeltaOutcome::NotUsed;
    const CFileListInfo patch(delta->patchName, delta->md5, delta->size);
    if (!DownloadEntry(transfer, patch, baseUrl, localBase, nullptr))
        return g_downloadUiState.cancelled == 1 ? DeltaOutcome::Cancelled : FallBack(localPath);
    const std::wstring patchPath = localBase + delta->patchName;
    const PatchResult result =
        ApplyFilePatch(source, patchPath, localPath, static_cast<std::uint64_t>(entry.GetSize()), digest);
    platform::RemoveFile(patchPath);
    if (result == PatchResult::Done && EqualIgnoringCase(digest, entry.GetMd5()))
        return DeltaOutcome::Rebuilt;
    platform::RemoveFile(localPath);
    return FallBack(localPath);
}

bool IsAbsentOrEmpty(const std::wstring& path)
{
    std::uint64_t size = 0;
    int error = 0;
    return !platform::FileSize(path, size, error) || size == 0;
}

bool DownloadEntry(CSetTransfer& transfer, const CFileListInfo& entry, const std::wstring& baseUrl,
                   const std::wstring& localBase, const CDeltaPlan* deltas)
{
    const std::wstring name = entry.GetFileName();
    WriteLog(L"正在下载文件 %s ...", name.c_str());
    const std::wstring url = baseUrl + EncodeUrlPath(name);
    const std::wstring localPath = localBase + DownloadedName(name);
    EnsurePathDir(localPath);
    if (deltas && IsAbsentOrEmpty(localPath)) {
        std::wstring rebuilt;
        const DeltaOutcome outcome = RebuildFromDelta(transfer, *deltas, entry, baseUrl, localBase, localPath, rebuilt);
        if (outcome != DeltaOutcome::NotUsed)
            return outcome == DeltaOutcome::Rebuilt;
    }

    std::FILE* file = platform::OpenFileStream(localPath, "ab+");
    if (!file) {
        WriteLog(L"无法打开下载文件 %s ...", localPath.c_str());
        return false;
    }
    const std::uint64_t localSize = LocalFileSize(file, localPath);
    const bool needsTransfer = static_cast<std::int64_t>(localSize) < entry.GetSize();
    std::wstring digest;
    if (needsTransfer) {
        if (!Transfer(transfer, file, entry, url, localPath, localSize, digest))
            return false;
    } else {
        WriteLog(L"文件: %s已存在,不需要下载!", localPath.c_str());
        std::fclose(file);
    }
    if (digest.empty())
        digest = FileMd5Hex(localPath);
    return DigestMatches(entry, localPath, digest);
}

}  // namespace

bool DownloadFiles(const CFileList& entries, const std::wstring& baseUrl, const std::wstring& localBase,
                   const CDeltaPlan* deltas)
{
    ResetDownloadUiState();
    const int count = static_cast<int>(entries.GetCount());
    WriteLog(L"共有 %d 个文件要下载...", count);
    // The thread starts once the dialog has recorded its controls, so the first
    // progress message finds them without a further wait.
    platform::CDialogThread& dialog = StartDownloadFilesDialogThread();

    CSetTransfer transfer;
    if (!transfer.Get()) {
        WriteLog(L"curl初始化失败");
        return false;
    }
    int done = 1;
    for (const CFileListInfo& entry : entries) {
        if (!DownloadEntry(transfer, entry, baseUrl, localBase, deltas))
            return false;
        StepOverallProgress(done, count);
        WriteLog(L"文件 %s 下载成功", (localBase + DownloadedName(entry.GetFileName())).c_str());
        ++done;
    }
    // The dialog closes itself when the overall bar reaches 100 %.
    dialog.Wait();
    return true;
}
