#pragma once
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>

#include "platform/threading.h"
#include "vexa/install/Md5.h"

// Digests a stream on a thread of its own, so that a large download's transfer and
// its digest overlap: MD5 of one stream is serial and costs about as much CPU as the
// transfer itself. The writer copies each block once into a bounded ring and goes on;
// it waits only when the digest has fallen a whole ring behind. A writer whose bytes
// stay put (a mapped file filled front to back) lends them instead: no copy, no wait.
// One stream at a time; the thread starts with the first stream and is joined when
// the pipe dies.
class CDigestPipe {
public:
    CDigestPipe();
    ~CDigestPipe();
    CDigestPipe(const CDigestPipe&) = delete;
    CDigestPipe& operator=(const CDigestPipe&) = delete;

    // Starts a new stream; what an unfinished one was fed is dropped. False when the
    // thread cannot be started.
    bool Begin();
    void Feed(const unsigned char* bytes, std::size_t count);
    // Digests bytes where they are: they must stay unchanged until End(), and each
    // lent piece must follow the one before it in memory. A stream is either fed or lent.
    void Lend(const unsigned char* bytes, std::size_t count);
    // Waits until everything fed is digested and hands out the stream's digest.
    Md5Digest End();

private:
    void Run();
    void WaitUntilDrained(std::unique_lock<std::mutex>& lock);
    const unsigned char* NextPiece(std::size_t& piece) const;

    std::unique_ptr<unsigned char[]> ring_;
    std::mutex lock_;
    std::condition_variable fed_;
    std::condition_variable drained_;
    const unsigned char* lent_ = nullptr;  // where a lent stream starts
    std::uint64_t fedBytes_ = 0;
    std::uint64_t digestedBytes_ = 0;
    bool stopping_ = false;
    bool started_ = false;
    Md5Context context_{};
    platform::CSystemThread thread_;
};
