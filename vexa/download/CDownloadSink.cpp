#include "vexa/download/CDownloadSink.h"

#include "platform/files.h"
#include "vexa/download/CDigestPipe.h"
#include "vexa/download/DownloadUiState.h"

#include <algorithm>

namespace {

constexpr long kOk = 200;
constexpr long kRangeNotSatisfiable = 416;

bool IsSuccess(long status)
{
    return status >= 200 && status < 300;
}

}  // namespace

CDownloadSink::CDownloadSink(std::FILE* file, CURL* curl, std::uint64_t offset, std::uint64_t sizeCap,
                             bool accept416)
    : file_(file), curl_(curl), offset_(offset), sizeCap_(sizeCap), accept416_(accept416), fileSize_(offset)
{
}

void CDownloadSink::Decide()
{
    curl_easy_getinfo(curl_, CURLINFO_RESPONSE_CODE, &status_);
    const bool ranged = offset_ != 0;
    if (IsSuccess(status_)) {
        state_ = State::Writing;
        // The server ignored the range and sends the whole file from its first byte.
        if (status_ == kOk && ranged) {
            fileSize_ = 0;
            if (!platform::TruncateFileStream(file_))
                state_ = State::WriteFailed;
        }
        digestCoversFile_ = digesting_ && fileSize_ == 0 && state_ == State::Writing;
        if (digestCoversFile_)
            BeginDigest();
    } else if (status_ == kRangeNotSatisfiable && ranged && accept416_) {
        state_ = State::StoppedEarly;
    } else {
        state_ = State::Refused;
    }
}

std::size_t CDownloadSink::Write(const char* data, std::size_t bytes)
{
    if (state_ == State::Undecided)
        Decide();
    if (state_ != State::Writing)
        return 0;
    const std::size_t room = static_cast<std::size_t>(std::min<std::uint64_t>(bytes, sizeCap_ - fileSize_));
    const std::size_t written = std::fwrite(data, 1, room, file_);
    fileSize_ += written;
    if (digestCoversFile_)
        DigestBytes(reinterpret_cast<const unsigned char*>(data), written);
    if (written < room)
        state_ = State::WriteFailed;
    else if (room < bytes)
        state_ = State::StoppedEarly;
    return written;
}

void CDownloadSink::Finish()
{
    // The handle may outlive the sink: it must not keep writing into its error text.
    curl_easy_setopt(curl_, CURLOPT_ERRORBUFFER, nullptr);
    if (state_ == State::Undecided)
        Decide();
}

void CDownloadSink::DigestWrites(CDigestPipe* pipe)
{
    digesting_ = true;
    pipe_ = pipe;
}

void CDownloadSink::BeginDigest()
{
    // A pipe whose thread cannot start leaves the digest to this thread.
    if (pipe_ && !pipe_->Begin())
        pipe_ = nullptr;
    if (!pipe_)
        Md5Init(digest_);
}

void CDownloadSink::DigestBytes(const unsigned char* bytes, std::size_t count)
{
    if (pipe_)
        pipe_->Feed(bytes, count);
    else
        Md5Update(digest_, bytes, count);
}

std::wstring CDownloadSink::WholeFileMd5Hex()
{
    if (!digestCoversFile_ || state_ == State::WriteFailed)
        return std::wstring();
    digestCoversFile_ = false;
    Md5Digest digest;
    if (pipe_)
        digest = pipe_->End();
    else
        Md5Final(digest_, digest);
    return Md5Hex(digest);
}

std::size_t WriteToFile(void* data, std::size_t size, std::size_t count, void* sink)
{
    if (g_downloadUiState.cancelled == 1 || size == 0)
        return 0;
    return static_cast<CDownloadSink*>(sink)->Write(static_cast<const char*>(data), size * count) / size;
}
