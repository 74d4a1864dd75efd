#pragma once
#include "cquill/src/quill/CQuillBase.h"

#include <mutex>

namespace quill::threading {

// A plain (not re-entrant) lock around the data it guards.
class CCriticalSection : public CQuillBase {
public:
    void Enter() { mutex_.lock(); }
    void Leave() { mutex_.unlock(); }

private:
    std::mutex mutex_;
};

// Holds a critical section for the lifetime of the guard.
class CLockGuard {
public:
    explicit CLockGuard(CCriticalSection& section) : section_(section) { section_.Enter(); }
    ~CLockGuard() { section_.Leave(); }
    CLockGuard(const CLockGuard&) = delete;
    CLockGuard& operator=(const CLockGuard&) = delete;

private:
    CCriticalSection& section_;
};

}  // namespace quill::threading
