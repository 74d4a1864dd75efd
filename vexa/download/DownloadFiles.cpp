#include "vexa/download/DownloadFiles.h"

#include "platform/clock.h"
#include "platform/dialog.h"
#include "platform/files.h"
#include "vexa/control/FileUtils.h"
#include "vexa/control/UpdateLog.h"
#include "vexa/download/CDownloadSink.h"
#include "vexa/download/CancelledBox.h"
#include "vexa/download/CertificateAuthority.h"
#include "vexa/download/DialogThreads.h"
#include "vexa/download/DownloadUiState.h"
#include "vexa/download/ProgressFunctions.h"
#include "vexa/download/TransferOptions.h"
#include "vexa/install/FileList.h"
#include "vexa/install/Md5.h"
#include "vexa/install/SelfUpdateEntry.h"

#include <curl/curl.h>

#include <cstdio>

namespace {

constexpr long kConnectTimeoutSeconds = 15;
constexpr long kNotFound = 404;
// Lets the dialog record its controls before the first progress message.
constexpr unsigned kDialogStartMilliseconds = 200;

// The easy handle of the whole set; reset before each file, which keeps its
// connection cache, so every file after the first reuses the connection.
class CCurlHandle {
public:
    CCurlHandle() : curl_(curl_easy_init()) {}
    ~CCurlHandle()
    {
        if (curl_)
            curl_easy_cleanup(curl_);
    }
    CCurlHandle(const CCurlHandle&) = delete;
    CCurlHandle& operator=(const CCurlHandle&) = delete;

    CURL* Get() const { return curl_; }

private:
    CURL* curl_;
};

void SetEntryOptions(CURL* curl, const std::wstring& url, CDownloadSink& sink)
{
    curl_easy_reset(curl);
    SetTargetOptions(curl, url, sink);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, ProgressInBytes<OnFileProgress>);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
    ApplyCertificateAuthority(curl);
    SetTransferLimits(curl);
}

// Our own stops (an acceptable 416, the file at its size) leave the verdict to the
// digest; a refused answer is reported by its status, anything else by libcurl's code.
bool ReportTransfer(CURLcode result, const CDownloadSink& sink, const std::wstring& url)
{
    using State = CDownloadSink::State;
    if (sink.GetState() == State::StoppedEarly || (result == CURLE_OK && sink.GetState() == State::Writing))
        return true;
    const bool ownStop = result == CURLE_OK || result == CURLE_WRITE_ERROR;
    if (ownStop && sink.GetState() == State::Refused && sink.GetStatus() == kNotFound)
        WriteLog(L"url所指文件路径错误或不存在, url: %s", url.c_str());
    else if (ownStop && sink.GetState() == State::Refused)
        WriteLog(L"下载文件失败, HTTP状态: %d, url: %s", static_cast<int>(sink.GetStatus()), url.c_str());
    else
        WriteLog(L"下载文件失败, errcode: %d", static_cast<int>(result));
    return false;
}

// Fetches what the local file lacks. The file is closed on every path.
bool Transfer(CURL* curl, std::FILE* file, const CFileListInfo& entry, const std::wstring& url,
              const std::wstring& localPath, std::uint64_t localSize)
{
    const std::uint64_t expected = entry.GetSize() < 0 ? 0 : static_cast<std::uint64_t>(entry.GetSize());
    CDownloadSink sink(file, curl, localSize, expected, true);
    g_downloadUiState.filePercent = 0;
    SetEntryOptions(curl, url, sink);
    if (localSize != 0)
        SetResumeRange(curl, localSize);

    platform::SetControlText(g_downloadUiState.mainLabel, entry.GetFileName());
    const CURLcode result = curl_easy_perform(curl);
    sink.Finish();
    if (!ReportTransfer(result, sink, url)) {
        std::fclose(file);
        if (g_downloadUiState.cancelled == 1)
            ShowCancelledBox();
        return false;
    }
    const bool flushed = std::fflush(file) == 0;
    if (std::fclose(file) != 0 || !flushed) {
        WriteLog(L"无法保存下载文件 %s ...", localPath.c_str());
        return false;
    }
    return true;
}

bool DigestMatches(const CFileListInfo& entry, const std::wstring& localPath)
{
    const std::wstring digest = FileMd5Hex(localPath);
    if (EqualIgnoringCase(digest, entry.GetMd5()))
        return true;
    WriteLog(L"文件 %s 下载失败。OriMd5:%s, NewMd5:%s", localPath.c_str(), entry.GetMd5().c_str(), digest.c_str());
    platform::RemoveFile(localPath);
    return false;
}

bool DownloadEntry(CURL* curl, const CFileListInfo& entry, const std::wstring& baseUrl, const std::wstring& localBase)
{
    const std::wstring name = entry.GetFileName();
    WriteLog(L"正在下载文件 %s ...", name.c_str());
    const std::wstring url = baseUrl + name;
    const std::wstring localPath = localBase + DownloadedName(name);
    EnsurePathDir(localPath);

    std::FILE* file = platform::OpenFileStream(localPath, "ab+");
    if (!file) {
        WriteLog(L"无法打开下载文件 %s ...", localPath.c_str());
        return false;
    }
    const std::uint64_t localSize = LocalFileSize(file);
    const bool needsTransfer = static_cast<std::int64_t>(localSize) < entry.GetSize();
    if (needsTransfer) {
        if (!Transfer(curl, file, entry, url, localPath, localSize))
            return false;
    } else {
        WriteLog(L"文件: %s已存在,不需要下载!", localPath.c_str());
        std::fclose(file);
    }
    return DigestMatches(entry, localPath);
}

}  // namespace

bool DownloadFiles(const CFileList& entries, const std::wstring& baseUrl, const std::wstring& localBase)
{
    ResetDownloadUiState();
    const int count = static_cast<int>(entries.GetCount());
    WriteLog(L"共有 %d 个文件要下载...", count);
    platform::CDialogThread& dialog = StartDownloadFilesDialogThread();
    platform::SleepMilliseconds(kDialogStartMilliseconds);

    CCurlHandle curl;
    if (!curl.Get()) {
        WriteLog(L"curl初始化失败");
        return false;
    }
    int done = 1;
    for (const CFileListInfo& entry : entries) {
        if (!DownloadEntry(curl.Get(), entry, baseUrl, localBase))
            return false;
        StepOverallProgress(done, count);
        WriteLog(L"文件 %s 下载成功", (localBase + entry.GetFileName()).c_str());
        ++done;
    }
    // The dialog closes itself when the overall bar reaches 100 %.
    dialog.Wait();
    return true;
}
