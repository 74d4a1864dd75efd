#include "vexa/install/CFileLane.h"

#include <algorithm>
#include <array>

#include "vexa/install/Md5Lanes.h"

bool CFileLane::Begin(const std::wstring& path)
{
    facts_ = FileFacts();
    waiting_ = 0;
    read_ = 0;
    ended_ = false;
    // Measured before it is read, as a single walk does.
    facts_.measured = file_.Open(path) && file_.Size(facts_.size);
    if (!facts_.measured) {
        facts_.sizeError = file_.LastError();
        return false;
    }
    Md5Init(context_);
    return true;
}

bool CFileLane::Refill()
{
    for (;;) {
        if (waiting_ > 0)
            Md5Update(context_, next_, waiting_);
        waiting_ = 0;
        if (ended_)
            return Finish(true);
        const std::ptrdiff_t got = file_.Read(buffer_.data(), buffer_.size());
        if (got <= 0)
            return Finish(got == 0);
        // A short read that reaches the measured size is the end of the file: the
        // read that would return nothing is saved. A file still growing gives more
        // than its size and is read on until a read returns nothing.
        read_ += static_cast<std::uint64_t>(got);
        ended_ = static_cast<std::size_t>(got) < buffer_.size() && read_ == facts_.size;
        // A block begun by the previous piece is completed first, so the rest
        // starts on a block boundary.
        const std::size_t head =
            std::min<std::size_t>((64 - Md5BufferedBytes(context_)) % 64, static_cast<std::size_t>(got));
        Md5Update(context_, buffer_.data(), head);
        next_ = buffer_.data() + head;
        waiting_ = static_cast<std::size_t>(got) - head;
        if (WholeBlocks() > 0)
            return true;
    }
}

void CFileLane::Digested(std::size_t blocks)
{
    next_ += 64 * blocks;
    waiting_ -= 64 * blocks;
}

bool CFileLane::Finish(bool read)
{
    Md5Digest digest;
    // Final also wipes the context; after a failed read the digest of the bytes
    // read so far must not be published as the file's own.
    Md5Final(context_, digest);
    if (read)
        facts_.md5 = Md5Hex(digest);
    return false;
}

void DigestCommonBlocks(std::span<CFileLane* const> lanes)
{
    std::size_t common = SIZE_MAX;
    for (const CFileLane* lane : lanes)
        common = std::min(common, lane->WholeBlocks());
    // In fixed groups, so that a round allocates nothing.
    constexpr std::size_t kGroup = 16;
    std::array<Md5Context*, kGroup> contexts;
    std::array<const unsigned char*, kGroup> blocks;
    for (std::size_t first = 0; first < lanes.size(); first += kGroup) {
        const std::size_t count = std::min(kGroup, lanes.size() - first);
        for (std::size_t j = 0; j < count; ++j) {
            contexts[j] = &lanes[first + j]->Context();
            blocks[j] = lanes[first + j]->Blocks();
        }
        Md5UpdateLanes(contexts.data(), blocks.data(), count, common);
    }
    for (CFileLane* lane : lanes)
        lane->Digested(common);
}
