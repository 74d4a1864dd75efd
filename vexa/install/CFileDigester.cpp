#include "vexa/install/CFileDigester.h"

#include <algorithm>
#include <utility>

#include "platform/files.h"
#include "vexa/install/Md5.h"

namespace {

// Enough to keep every core busy behind a run of small files.
constexpr std::size_t kWindowPerThread = 64;

unsigned ThreadCount(unsigned asked)
{
    return asked != 0 ? asked : std::max(1u, std::thread::hardware_concurrency());
}

FileFacts Examine(const std::wstring& path)
{
    FileFacts facts;
    // Measured before it is read, as a single walk does.
    facts.measured = platform::FileSize(path, facts.size, facts.sizeError);
    if (facts.measured)
        facts.md5 = FileMd5Hex(path);
    return facts;
}

}  // namespace

CFileDigester::CFileDigester(const std::vector<std::wstring>& paths, unsigned threads)
    : paths_(paths), ring_(kWindowPerThread * ThreadCount(threads))
{
    const std::size_t count = std::min<std::size_t>(ThreadCount(threads), paths.size());
    for (std::size_t i = 0; i < count; ++i)
        workers_.emplace_back([this] { Work(); });
}

CFileDigester::~CFileDigester()
{
    {
        std::lock_guard guard(lock_);
        stopping_ = true;
    }
    changed_.notify_all();
    // Joined here, before the members the workers use go away.
    workers_.clear();
}

FileFacts CFileDigester::Next()
{
    std::unique_lock guard(lock_);
    Slot& slot = ring_[consumed_ % ring_.size()];
    changed_.wait(guard, [&slot] { return slot.ready; });
    FileFacts facts = std::move(slot.facts);
    slot.ready = false;
    ++consumed_;
    guard.unlock();
    changed_.notify_all();
    return facts;
}

void CFileDigester::Work()
{
    std::unique_lock guard(lock_);
    for (;;) {
        changed_.wait(guard, [this] {
            return stopping_ || taken_ == paths_.size() || taken_ < consumed_ + ring_.size();
        });
        if (stopping_ || taken_ == paths_.size())
            return;
        const std::size_t index = taken_++;
        guard.unlock();
        FileFacts facts = Examine(paths_[index]);
        guard.lock();
        ring_[index % ring_.size()] = Slot{std::move(facts), true};
        changed_.notify_all();
    }
}
