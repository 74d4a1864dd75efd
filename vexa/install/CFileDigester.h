#pragma once
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "vexa/install/CFileLane.h"

// Measures and digests files on worker threads and hands the results back in the
// order of the paths. Each worker keeps a file in each of its lanes and digests
// their blocks side by side (Md5UpdateLanes). Workers run at most a window of files
// ahead of the reader, so results wait in a fixed ring, a stop wastes little work,
// and memory does not grow with the tree: each lane streams its file through a
// fixed piece of buffer.
class CFileDigester {
public:
    // threads: 0 means one per core. lanes: files in flight per worker, 0 means as
    // many as the processor digests side by side.
    CFileDigester(const std::vector<std::wstring>& paths, unsigned threads, std::size_t lanes = 0);
    ~CFileDigester();
    CFileDigester(const CFileDigester&) = delete;
    CFileDigester& operator=(const CFileDigester&) = delete;

    // The facts of the next path in order, once a worker has them.
    FileFacts Next();

private:
    struct Slot {
        FileFacts facts;
        bool ready = false;
    };
    static constexpr std::size_t kIdle = SIZE_MAX;

    void Work();
    bool Feed(CFileLane& lane, std::size_t& index, std::size_t& busy);
    bool Claim(std::size_t& index, bool wait);
    void Publish(std::size_t index, FileFacts facts);

    const std::vector<std::wstring>& paths_;
    const std::size_t lanes_;
    std::vector<Slot> ring_;    // path i waits in ring_[i % size]
    std::size_t taken_ = 0;     // the next path a worker takes
    std::size_t consumed_ = 0;  // the next path Next hands out
    bool readerWaiting_ = false;
    std::size_t workersWaiting_ = 0;
    std::atomic<bool> stopping_ = false;
    std::mutex lock_;
    // Waking only whoever waits keeps the hand-off off the system call path.
    std::condition_variable resultReady_;  // the reader waits for the next path's facts
    std::condition_variable roomMade_;     // workers with no file wait for the window to move
    std::vector<std::jthread> workers_;
};
