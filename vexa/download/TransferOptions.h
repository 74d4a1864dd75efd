#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include <curl/curl.h>

class CDownloadSink;

// Bounds that keep a broken or hostile server from holding the updater, and with it
// the single-instance lock and the game, for hours: every transfer slower than
// 1 KiB/s for two minutes is aborted (a slow but real link does better), the small
// files the check and the lists need must arrive whole within two minutes, and
// redirects are capped.
struct TransferLimits {
    long lowSpeedBytesPerSecond = 1024;
    long lowSpeedSeconds = 120;
    long smallFileSeconds = 120;
    long maxRedirects = 10;
};

// The limits every transfer of this process uses. For tests only, the environment
// variable VEXA_TEST_TRANSFER_SECONDS replaces both two-minute spans with its number
// of seconds, so a test of a trickling server ends in seconds.
const TransferLimits& CurrentTransferLimits();

// What a transfer fetches: a small file (the configuration, a file list, a
// signature) must arrive within the whole-time limit; a large one (a client file,
// the installer) only keeps above the lowest speed.
enum class TransferKind { SmallFile, LargeFile };

// Size caps of the small files the updater parses: the published configuration and
// the file lists. Larger answers fail the download.
constexpr std::uint64_t kConfigSizeCap = 1u << 20;
constexpr std::uint64_t kFileListSizeCap = 32u << 20;
// The installer: far above any real one, but a server that never stops sending
// cannot fill the disk.
constexpr std::uint64_t kInstallerSizeCap = std::uint64_t{16} << 30;

// Seeks the stream of the file at path to its end and returns the file's size, in 64
// bits wherever the system's long is 32 (a partial download may pass 2 GiB).
std::uint64_t LocalFileSize(std::FILE* file, const std::wstring& path);

// The first options of every transfer, in their order: the URL (UTF-8 in a buffer
// of 512 bytes; a longer one leaves it empty, so libcurl fails on an empty URL
// instead of fetching a truncated one), following redirects (from an https URL to
// https only, so a pinned server cannot be left for plain HTTP), the sink as target
// and as the keeper of libcurl's error text.
void SetTargetOptions(CURL* curl, const std::wstring& url, CDownloadSink& sink);

// Logs why a transfer failed, with its URL: a 404 as "url所指文件路径错误或不存在",
// another refused answer with its HTTP status, a transfer error with libcurl's code
// and then its words, so that a wrong address, an untrusted certificate and a
// refused connection can be told apart in the log.
void LogFailedTransfer(CURLcode result, const CDownloadSink& sink, const std::wstring& url);

// The options that follow the design's own: low-speed abort, the whole-time limit
// of a small file and the redirect cap.
void SetTransferLimits(CURL* curl, TransferKind kind);

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
