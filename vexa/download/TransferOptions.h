#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include <curl/curl.h>

class CDownloadSink;

// Bounds that keep a broken or hostile server from holding the updater, and with it
// the single-instance lock, for ever: a transfer slower than a few bytes per second
// for a minute is aborted, and redirects are capped. Tests shorten the minute.
struct TransferLimits {
    long lowSpeedBytesPerSecond = 10;
    long lowSpeedSeconds = 60;
    long maxRedirects = 10;
};

// The limits every transfer of this process uses.
TransferLimits& CurrentTransferLimits();

// Size caps of the small files the updater parses: the published configuration and
// the file lists. Larger answers fail the download.
constexpr std::uint64_t kConfigSizeCap = 1u << 20;
constexpr std::uint64_t kFileListSizeCap = 32u << 20;

// Seeks the stream to its end and returns the size there.
std::uint64_t LocalFileSize(std::FILE* file);

// The first options of every transfer, in their order: the URL (UTF-8 in a buffer
// of 512 bytes; a longer one leaves it empty, so libcurl fails on an empty URL
// instead of fetching a truncated one), following redirects, the sink as target.
void SetTargetOptions(CURL* curl, const std::wstring& url, CDownloadSink& sink);

// The options that follow the design's own: low-speed abort and redirect cap.
void SetTransferLimits(CURL* curl);

// Takes the body in blocks of 100 KiB instead of libcurl's 16 KiB: a fast transfer
// then costs fewer reads, writes and progress calls. Nothing the server sees changes.
void SetReceiveBuffer(CURL* curl);

// libcurl's progress interface of today hands over byte counts; the progress
// functions of the dialogs take them as doubles, as its older one did.
template <int (*Progress)(void*, double, double, double, double)>
int ProgressInBytes(void* data, curl_off_t downloadTotal, curl_off_t downloadedNow, curl_off_t uploadTotal,
                    curl_off_t uploadedNow)
{
    return Progress(data, static_cast<double>(downloadTotal), static_cast<double>(downloadedNow),
                    static_cast<double>(uploadTotal), static_cast<double>(uploadedNow));
}

// Asks only for the bytes from offset on ("<offset>-").
void SetResumeRange(CURL* curl, std::uint64_t offset);
