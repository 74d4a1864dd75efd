#include "vexa/download/DownloadFile.h"

#include "platform/files.h"
#include "vexa/control/FileUtils.h"
#include "vexa/control/TextUtils.h"
#include "vexa/download/CertificateAuthority.h"

#include <curl/curl.h>

#include <cstdio>
#include <string>

namespace {

constexpr std::size_t kUrlBufferSize = 512;
constexpr std::size_t kRangeBufferSize = 255;
constexpr long kConnectTimeoutSeconds = 15;
constexpr long kNotFound = 404;

// A text too long for its buffer leaves the buffer empty; libcurl then fails on
// the empty URL instead of fetching a truncated one.
void FillUtf8(const std::wstring& text, char* buffer, std::size_t size)
{
    buffer[0] = '\0';
    ToUtf8(text, buffer, size);
}

long LocalSize(std::FILE* file)
{
    std::fseek(file, 0, SEEK_END);
    return std::ftell(file);
}

}  // namespace

std::size_t WriteToFile(void* data, std::size_t size, std::size_t count, void* file)
{
    return std::fwrite(data, size, count, static_cast<std::FILE*>(file));
}

bool DownloadFile(const std::wstring& url, const std::wstring& path, [[maybe_unused]] bool showDialog)
{
    EnsurePathDir(path);
    std::FILE* file = platform::OpenFileStream(path, "ab+");
    if (!file)
        return false;
    CURL* curl = curl_easy_init();
    if (!curl) {
        std::fclose(file);
        return false;
    }

    char urlBuffer[kUrlBufferSize];
    FillUtf8(url, urlBuffer, sizeof urlBuffer);
    curl_easy_setopt(curl, CURLOPT_URL, urlBuffer);
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, WriteToFile);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, file);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
    ApplyCertificateAuthority(curl);

    char rangeBuffer[kRangeBufferSize];
    const long size = LocalSize(file);
    if (size != 0) {
        FillUtf8(std::to_wstring(size) + L"-", rangeBuffer, sizeof rangeBuffer);
        curl_easy_setopt(curl, CURLOPT_RANGE, rangeBuffer);
    }

    const CURLcode result = curl_easy_perform(curl);
    long responseCode = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &responseCode);
    curl_easy_cleanup(curl);

    if (result != CURLE_OK || responseCode == kNotFound) {
        std::fclose(file);
        return false;
    }
    std::fflush(file);
    std::fclose(file);
    return true;
}
