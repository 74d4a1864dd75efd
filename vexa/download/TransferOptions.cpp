#include "vexa/download/TransferOptions.h"

#include "platform/files.h"
#include "platform/text.h"
#include "vexa/control/TextUtils.h"
#include "vexa/control/UpdateLog.h"
#include "vexa/download/CDownloadSink.h"

#include <algorithm>
#include <cstdlib>
#include <cwctype>
#include <string_view>

namespace {

constexpr std::size_t kUrlBufferSize = 512;
constexpr std::size_t kRangeBufferSize = 255;
constexpr long kReceiveBufferBytes = 100 * 1024;
constexpr long kNotFound = 404;

void FillUtf8(const std::wstring& text, char* buffer, std::size_t size)
{
    buffer[0] = '\0';
    ToUtf8(text, buffer, size);
}

TransferLimits LimitsFromEnvironment()
{
    TransferLimits limits;
    if (const char* seconds = std::getenv("VEXA_TEST_TRANSFER_SECONDS")) {
        limits.lowSpeedSeconds = std::atol(seconds);
        limits.smallFileSeconds = limits.lowSpeedSeconds;
    }
    return limits;
}

bool StartsOnHttps(const std::wstring& url)
{
    constexpr std::wstring_view kHttps = L"https:";
    const auto sameLetter = [](wchar_t scheme, wchar_t given) {
        return scheme == static_cast<wchar_t>(std::towlower(static_cast<wint_t>(given)));
    };
    return url.size() >= kHttps.size() && std::equal(kHttps.begin(), kHttps.end(), url.begin(), sameLetter);
}

}  // namespace

const TransferLimits& CurrentTransferLimits()
{
    static const TransferLimits limits = LimitsFromEnvironment();
    return limits;
}

std::uint64_t LocalFileSize(std::FILE* file, const std::wstring& path)
{
    std::fseek(file, 0, SEEK_END);
    std::uint64_t size = 0;
    int error = 0;
    return platform::FileSize(path, size, error) ? size : 0;
}

// libcurl copies the URL, so the buffer need not outlive the call.
void SetTargetOptions(CURL* curl, const std::wstring& url, CDownloadSink& sink)
{
    char urlBuffer[kUrlBufferSize];
    FillUtf8(url, urlBuffer, sizeof urlBuffer);
    curl_easy_setopt(curl, CURLOPT_URL, urlBuffer);
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, StartsOnHttps(url) ? "https" : "http,https");
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, WriteToFile);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, sink.ErrorBuffer());
}

void LogFailedTransfer(CURLcode result, const CDownloadSink& sink, const std::wstring& url)
{
    const bool ownStop = result == CURLE_OK || result == CURLE_WRITE_ERROR;
    if (ownStop && sink.GetState() == CDownloadSink::State::Refused && sink.GetStatus() == kNotFound) {
        WriteLog(L"url所指文件路径错误或不存在, url: %s", url.c_str());
        return;
    }
    if (ownStop && sink.GetState() == CDownloadSink::State::Refused) {
        WriteLog(L"下载文件失败, HTTP状态: %d, url: %s", static_cast<int>(sink.GetStatus()), url.c_str());
        return;
    }
    WriteLog(L"下载文件失败, errcode: %d", static_cast<int>(result));
    const std::string text = *sink.GetErrorText() != '\0' ? sink.GetErrorText() : curl_easy_strerror(result);
    WriteLog(L"下载失败原因: %s, url: %s", platform::WideFromUtf8(text).c_str(), url.c_str());
}

void SetTransferLimits(CURL* curl, TransferKind kind)
{
    const TransferLimits& limits = CurrentTransferLimits();
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, limits.lowSpeedBytesPerSecond);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, limits.lowSpeedSeconds);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, kind == TransferKind::SmallFile ? limits.smallFileSeconds * 1000L : 0L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, limits.maxRedirects);
}

void SetReceiveBuffer(CURL* curl)
{
    curl_easy_setopt(curl, CURLOPT_BUFFERSIZE, kReceiveBufferBytes);
}

void SetResumeRange(CURL* curl, std::uint64_t offset)
{
    char range[kRangeBufferSize];
    FillUtf8(std::to_wstring(offset) + L"-", range, sizeof range);
    curl_easy_setopt(curl, CURLOPT_RANGE, range);
}
