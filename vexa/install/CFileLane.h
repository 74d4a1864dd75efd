#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "platform/file_reader.h"
#include "vexa/install/Md5.h"

// What the file-list tool learns about one file.
struct FileFacts {
    bool measured = false;
    int sizeError = 0;  // the system error code when not measured
    std::uint64_t size = 0;
    std::wstring md5;  // empty when the file could not be read
};

// One file on its way through a digest lane: opened and measured first (a file
// that cannot be measured is not read), then read piece by piece into the lane's
// own buffer, where its whole blocks wait to be digested beside other lanes'
// (DigestCommonBlocks). Bytes short of a block wait in the digest context.
class CFileLane {
public:
    explicit CFileLane(std::span<unsigned char> buffer) : buffer_(buffer) {}

    // Opens and measures path; false when there is nothing to read, and the
    // facts are complete.
    bool Begin(const std::wstring& path);
    // Reads until whole blocks wait; false once the file is digested or a read
    // failed, and the facts are complete.
    bool Refill();

    std::size_t WholeBlocks() const { return waiting_ / 64; }
    const unsigned char* Blocks() const { return next_; }
    Md5Context& Context() { return context_; }
    // The first `blocks` waiting blocks were digested into the context.
    void Digested(std::size_t blocks);

    FileFacts TakeFacts() { return std::move(facts_); }

private:
    bool Finish(bool read);

    std::span<unsigned char> buffer_;
    platform::CFileReader file_;
    Md5Context context_;
    FileFacts facts_;
    const unsigned char* next_ = nullptr;
    std::size_t waiting_ = 0;
    std::uint64_t read_ = 0;  // bytes of the file read so far
    bool ended_ = false;      // the last read reached the end of the file
};

// Digests, side by side, as many whole blocks of every lane as the lane with the
// fewest has waiting.
void DigestCommonBlocks(std::span<CFileLane* const> lanes);
