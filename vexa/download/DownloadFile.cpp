#include "vexa/download/DownloadFile.h"

#include "platform/files.h"
#include "vexa/control/FileUtils.h"
#include "vexa/download/CancelledBox.h"
#include "vexa/download/CertificateAuthority.h"
#include "vexa/download/DialogThreads.h"
#include "vexa/download/DownloadUiState.h"
#include "vexa/download/ProgressFunctions.h"
#include "vexa/download/TransferOptions.h"

#include <curl/curl.h>

#include <cstdio>
#include <string>

namespace {

constexpr long kConnectTimeoutSeconds = 15;
constexpr long kRangeNotSatisfiable = 416;
constexpr long kNotFound = 404;

bool Succeeded(CURLcode result, const CDownloadSink& sink)
{
    return result == CURLE_OK && sink.GetState() == CDownloadSink::State::Writing;
}

bool IsNotFound(CURLcode result, const CDownloadSink& sink)
{
    return (result == CURLE_OK || result == CURLE_WRITE_ERROR) && sink.GetState() == CDownloadSink::State::Refused &&
           sink.GetStatus() == kNotFound;
}

bool RangeRefused(const CDownloadSink& sink)
{
    return sink.GetState() == CDownloadSink::State::Refused && sink.GetStatus() == kRangeNotSatisfiable &&
           g_downloadUiState.cancelled != 1;
}

// A file the disk would not take, or one that reached its cap (the only early stop
// here), can never be finished by resuming it: it would only hold the space that
// every later run needs.
bool Spoilt(const CDownloadSink& sink)
{
    return sink.GetState() == CDownloadSink::State::WriteFailed ||
           sink.GetState() == CDownloadSink::State::StoppedEarly;
}

// The local file is at least as long as the server's: whole, or left from another
// file, and only a fresh copy can tell. Asked for once more without a range; the
// sink starts the file afresh when the whole file comes and leaves it as it was on a
// refusal.
bool FetchAfresh(CURL* curl, std::FILE* file, const std::wstring& url, std::uint64_t size, std::uint64_t sizeCap,
                 bool& spoilt)
{
    CDownloadSink sink(file, curl, size, sizeCap, false);
    SetTargetOptions(curl, url, sink);
    curl_easy_setopt(curl, CURLOPT_RANGE, nullptr);
    const CURLcode result = curl_easy_perform(curl);
    sink.Finish();
    spoilt = Spoilt(sink);
    if (Succeeded(result, sink))
        return true;
    LogFailedTransfer(result, sink, url);
    return false;
}

}  // namespace

bool DownloadFile(const std::wstring& url, const std::wstring& path, bool showDialog, std::uint64_t sizeCap,
                  TransferKind kind, bool quietWhenMissing)
{
    ResetDownloadUiState();
    EnsurePathDir(path);
    std::FILE* file = platform::OpenFileStream(path, "ab+");
    if (!file)
        return false;
    CURL* curl = curl_easy_init();
    if (!curl) {
        std::fclose(file);
        return false;
    }

    const std::uint64_t size = LocalFileSize(file, path);
    CDownloadSink sink(file, curl, size, sizeCap, false);
    SetTargetOptions(curl, url, sink);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
    ApplyCertificateAuthority(curl, FindCertificateAuthority());
    // The dialog thread is not waited for: progress sent before the dialog exists is lost.
    if (showDialog) {
        StartDownloadDialogThread();
        curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, ProgressInBytes<OnSingleProgress>);
    }
    SetTransferLimits(curl, kind);
    if (size != 0)
        SetResumeRange(curl, size);

    const CURLcode result = curl_easy_perform(curl);
    sink.Finish();
    bool spoilt = Spoilt(sink);
    bool fetched = Succeeded(result, sink);
    if (!fetched && size != 0 && RangeRefused(sink))
        fetched = FetchAfresh(curl, file, url, size, sizeCap, spoilt);
    else if (!fetched && !(quietWhenMissing && IsNotFound(result, sink)))
        LogFailedTransfer(result, sink, url);
    curl_easy_cleanup(curl);

    if (!fetched) {
        std::fclose(file);
        if (spoilt)
            platform::RemoveFile(path);
        if (g_downloadUiState.cancelled == 1)
            ShowCancelledBox();
        return false;
    }
    const bool flushed = std::fflush(file) == 0;
    if (std::fclose(file) == 0 && flushed)
        return true;
    platform::RemoveFile(path);
    return false;
}
