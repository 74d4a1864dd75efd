#include "vexa/download/CDigestPipe.h"

#include <algorithm>
#include <cstring>

namespace {

// A few dozen of libcurl's blocks: room for the transfer to run ahead of the digest
// through a burst, small enough to stay in the cache level the copy goes through.
constexpr std::size_t kRingBytes = 4u << 20;
// The digest hands room back in pieces of this size, so the writer never waits for
// a whole ring to be digested.
constexpr std::size_t kDigestPiece = 256u << 10;

}  // namespace

CDigestPipe::CDigestPipe() = default;

CDigestPipe::~CDigestPipe()
{
    {
        std::lock_guard lock(lock_);
        stopping_ = true;
    }
    fed_.notify_one();
    thread_.Join();
}

bool CDigestPipe::Begin()
{
    std::unique_lock lock(lock_);
    if (!started_) {
        if (!thread_.Start([this] { Run(); }))
            return false;
        started_ = true;
    }
    WaitUntilDrained(lock);
    fedBytes_ = digestedBytes_ = 0;
    lent_ = nullptr;
    Md5Init(context_);
    return true;
}

void CDigestPipe::Feed(const unsigned char* bytes, std::size_t count)
{
    // Made on first use: a pipe that is only lent bytes never needs it.
    if (!ring_)
        ring_.reset(new unsigned char[kRingBytes]);
    while (count != 0) {
        std::unique_lock lock(lock_);
        drained_.wait(lock, [this] { return fedBytes_ - digestedBytes_ < kRingBytes; });
        const std::size_t room = kRingBytes - static_cast<std::size_t>(fedBytes_ - digestedBytes_);
        const std::size_t at = static_cast<std::size_t>(fedBytes_ % kRingBytes);
        const std::size_t piece = std::min({count, room, kRingBytes - at});
        lock.unlock();
        // The reader never touches bytes beyond fedBytes_, so the copy needs no lock.
        std::memcpy(ring_.get() + at, bytes, piece);
        lock.lock();
        fedBytes_ += piece;
        lock.unlock();
        fed_.notify_one();
        bytes += piece;
        count -= piece;
    }
}

void CDigestPipe::Lend(const unsigned char* bytes, std::size_t count)
{
    {
        std::lock_guard lock(lock_);
        if (!lent_)
            lent_ = bytes;
        fedBytes_ += count;
    }
    fed_.notify_one();
}

Md5Digest CDigestPipe::End()
{
    std::unique_lock lock(lock_);
    WaitUntilDrained(lock);
    Md5Digest digest;
    Md5Final(context_, digest);
    return digest;
}

void CDigestPipe::WaitUntilDrained(std::unique_lock<std::mutex>& lock)
{
    drained_.wait(lock, [this] { return digestedBytes_ == fedBytes_; });
}

void CDigestPipe::Run()
{
    std::unique_lock lock(lock_);
    for (;;) {
        fed_.wait(lock, [this] { return stopping_ || fedBytes_ != digestedBytes_; });
        if (fedBytes_ == digestedBytes_)
            return;
        std::size_t piece = 0;
        const unsigned char* bytes = NextPiece(piece);
        lock.unlock();
        Md5Update(context_, bytes, piece);
        lock.lock();
        digestedBytes_ += piece;
        drained_.notify_one();
    }
}

const unsigned char* CDigestPipe::NextPiece(std::size_t& piece) const
{
    const std::uint64_t waiting = fedBytes_ - digestedBytes_;
    if (lent_) {
        piece = static_cast<std::size_t>(std::min<std::uint64_t>(waiting, kDigestPiece));
        return lent_ + digestedBytes_;
    }
    const std::size_t at = static_cast<std::size_t>(digestedBytes_ % kRingBytes);
    piece = std::min({static_cast<std::size_t>(waiting), kRingBytes - at, kDigestPiece});
    return ring_.get() + at;
}
