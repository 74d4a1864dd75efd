#pragma once
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// What the file-list tool learns about one file.
struct FileFacts {
    bool measured = false;
    int sizeError = 0;  // the system error code when not measured
    std::uint64_t size = 0;
    std::wstring md5;  // empty when the file could not be read
};

// Measures and digests files on worker threads and hands the results back in the
// order of the paths. Workers run at most a window of files ahead of the reader,
// so results wait in a fixed ring, a stop wastes little work, and memory does not
// grow with the tree; each worker streams one file at a time through a fixed block.
class CFileDigester {
public:
    // threads: 0 means one per core.
    CFileDigester(const std::vector<std::wstring>& paths, unsigned threads);
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

    void Work();

    const std::vector<std::wstring>& paths_;
    std::vector<Slot> ring_;    // path i waits in ring_[i % size]
    std::size_t taken_ = 0;     // the next path a worker takes
    std::size_t consumed_ = 0;  // the next path Next hands out
    bool stopping_ = false;
    std::mutex lock_;
    std::condition_variable changed_;
    std::vector<std::jthread> workers_;
};
