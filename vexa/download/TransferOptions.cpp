#include "vexa/download/TransferOptions.h"

#include "vexa/control/TextUtils.h"
#include "vexa/download/CDownloadSink.h"

namespace {

constexpr std::size_t kUrlBufferSize = 512;
constexpr std::size_t kRangeBufferSize = 255;
constexpr long kReceiveBufferBytes = 100 * 1024;

void FillUtf8(const std::wstring& text, char* buffer, std::size_t size)
{
    buffer[0] = '\0';
    ToUtf8(text, buffer, size);
}

}  // namespace

TransferLimits& CurrentTransferLimits()
{
    static TransferLimits limits;
    return limits;
}

std::uint64_t LocalFileSize(std::FILE* file)
{
    std::fseek(file, 0, SEEK_END);
    const long size = std::ftell(file);
    return size < 0 ? 0 : static_cast<std::uint64_t>(size);
}

// libcurl copies the URL, so the buffer need not outlive the call.
void SetTargetOptions(CURL* curl, const std::wstring& url, CDownloadSink& sink)
{
    char urlBuffer[kUrlBufferSize];
    FillUtf8(url, urlBuffer, sizeof urlBuffer);
    curl_easy_setopt(curl, CURLOPT_URL, urlBuffer);
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, WriteToFile);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);
}

void SetTransferLimits(CURL* curl)
{
    const TransferLimits& limits = CurrentTransferLimits();
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, limits.lowSpeedBytesPerSecond);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, limits.lowSpeedSeconds);
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
