#include "vexa/install/CFileDigester.h"

#include <algorithm>
#include <deque>
#include <memory>
#include <span>
#include <utility>

#include "vexa/install/Md5Lanes.h"

namespace {

// Enough for the other lanes to keep going past a large file at the head.
constexpr std::size_t kWindowPerLane = 64;
// Each lane's read size: large enough that few reads are needed, small enough that
// all lanes of a worker stay in the core's cache.
constexpr std::size_t kPieceSize = 64 * 1024;

unsigned ThreadCount(unsigned asked)
{
    return asked != 0 ? asked : std::max(1u, std::thread::hardware_concurrency());
}

}  // namespace

CFileDigester::CFileDigester(const std::vector<std::wstring>& paths, unsigned threads, std::size_t lanes)
    : paths_(paths), lanes_(lanes != 0 ? lanes : Md5LaneWidth()),
      ring_(kWindowPerLane * lanes_ * ThreadCount(threads))
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
    roomMade_.notify_all();
    // Joined here, before the members the workers use go away.
    workers_.clear();
}

FileFacts CFileDigester::Next()
{
    std::unique_lock guard(lock_);
    Slot& slot = ring_[consumed_ % ring_.size()];
    readerWaiting_ = true;
    resultReady_.wait(guard, [&slot] { return slot.ready; });
    readerWaiting_ = false;
    FileFacts facts = std::move(slot.facts);
    slot.ready = false;
    ++consumed_;
    const bool roomAwaited = workersWaiting_ > 0;
    guard.unlock();
    if (roomAwaited)
        roomMade_.notify_all();
    return facts;
}

void CFileDigester::Work()
{
    const auto buffer = std::make_unique_for_overwrite<unsigned char[]>(lanes_ * kPieceSize);
    std::deque<CFileLane> lanes;  // not movable: each holds an open file
    for (std::size_t i = 0; i < lanes_; ++i)
        lanes.emplace_back(std::span(buffer.get() + i * kPieceSize, kPieceSize));
    std::vector<std::size_t> indices(lanes_, kIdle);  // the path each lane holds
    std::size_t busy = 0;                              // lanes that hold a file
    std::vector<CFileLane*> fed;
    while (!stopping_) {
        fed.clear();
        for (std::size_t i = 0; i < lanes_; ++i)
            if (Feed(lanes[i], indices[i], busy))
                fed.push_back(&lanes[i]);
        if (fed.empty())
            return;
        DigestCommonBlocks(fed);
    }
}

// Leaves the lane holding whole blocks of a file, taking the next file whenever
// one ends; false when the lane stays idle for now.
bool CFileDigester::Feed(CFileLane& lane, std::size_t& index, std::size_t& busy)
{
    for (;;) {
        if (index == kIdle) {
            // A worker with files in flight never waits for the window: its own
            // files may be the ones the reader waits for.
            if (!Claim(index, busy == 0))
                return false;
            ++busy;
            if (lane.Begin(paths_[index]) && lane.Refill())
                return true;
        } else if (lane.WholeBlocks() > 0 || lane.Refill()) {
            return true;
        }
        Publish(std::exchange(index, kIdle), lane.TakeFacts());
        --busy;
    }
}

bool CFileDigester::Claim(std::size_t& index, bool wait)
{
    std::unique_lock guard(lock_);
    for (;;) {
        if (stopping_ || taken_ == paths_.size())
            return false;
        if (taken_ < consumed_ + ring_.size()) {
            index = taken_++;
            return true;
        }
        if (!wait)
            return false;
        ++workersWaiting_;
        roomMade_.wait(guard);
        --workersWaiting_;
    }
}

void CFileDigester::Publish(std::size_t index, FileFacts facts)
{
    std::unique_lock guard(lock_);
    ring_[index % ring_.size()] = Slot{std::move(facts), true};
    const bool awaited = readerWaiting_ && index == consumed_;
    guard.unlock();
    if (awaited)
        resultReady_.notify_one();
}
