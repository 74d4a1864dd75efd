#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include <curl/curl.h>

#include <string>

#include "vexa/install/Md5.h"

class CDigestPipe;

// Where the body of one answer goes. Only answers that carry the file reach the
// local file: a 200 to a ranged request starts the file afresh, anything that is
// not a success is refused unwritten, so a partial file is never spoiled by an
// error page and stays ready to resume. The decision is taken once per transfer,
// on the first block or, for an answer without a body, when the transfer ends.
class CDownloadSink {
public:
    enum class State {
        Undecided,
        Writing,
        // Stopped on purpose without a fault: a 416 that was acceptable, or the file
        // reached its size cap. The file holds what it held before plus what fitted.
        StoppedEarly,
        Refused,     // an answer other than success; nothing of it was written
        WriteFailed  // the local file would not take the bytes
    };

    static constexpr std::uint64_t kNoCap = UINT64_MAX;

    // file: the open local file, positioned at its end; curl: the transfer whose
    // status decides; offset: where the ranged request starts (0 = not ranged);
    // sizeCap: the most the file may hold; accept416: a 416 to a ranged request is
    // taken as "nothing more to send" instead of a refusal.
    CDownloadSink(std::FILE* file, CURL* curl, std::uint64_t offset, std::uint64_t sizeCap, bool accept416);
    CDownloadSink(const CDownloadSink&) = delete;
    CDownloadSink& operator=(const CDownloadSink&) = delete;

    // Takes one block of the body; the count written, less than bytes to stop the transfer.
    std::size_t Write(const char* data, std::size_t bytes);
    // Decides for an answer whose body never came, and detaches the error text from
    // the handle; call after the transfer.
    void Finish();

    // Also digests what is written; call before the transfer. With a pipe the digest is
    // taken on the pipe's thread while the transfer goes on (for large files: the
    // hand-off costs a copy), else inline.
    void DigestWrites(CDigestPipe* pipe = nullptr);
    // After the transfer, when digesting was asked for and every byte of the local file
    // came through this sink (it was empty, or restarted from its first byte): the
    // file's digest as 32 lowercase hexadecimal digits, so it need not be read back.
    // Empty otherwise. Valid once the file is flushed; call at most once.
    std::wstring WholeFileMd5Hex();

    State GetState() const { return state_; }
    long GetStatus() const { return status_; }
    std::FILE* GetFile() const { return file_; }
    // libcurl's own words for a failed transfer (CURLOPT_ERRORBUFFER), empty when it gave none.
    char* ErrorBuffer() { return errorText_; }
    const char* GetErrorText() const { return errorText_; }

private:
    void Decide();
    void BeginDigest();
    void DigestBytes(const unsigned char* bytes, std::size_t count);

    std::FILE* file_;
    CURL* curl_;
    std::uint64_t offset_;
    std::uint64_t sizeCap_;
    bool accept416_;
    std::uint64_t fileSize_;
    State state_ = State::Undecided;
    long status_ = 0;
    bool digesting_ = false;
    bool digestCoversFile_ = false;
    CDigestPipe* pipe_ = nullptr;
    Md5Context digest_;
    char errorText_[CURL_ERROR_SIZE] = {};
};

// libcurl's write function: no bytes at all once the user cancelled the download
// (libcurl then ends the transfer with its write error, 23), else what the sink takes.
std::size_t WriteToFile(void* data, std::size_t size, std::size_t count, void* sink);
