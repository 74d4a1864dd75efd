#pragma once
#include "cquill/src/quill/ThreadInterfaces.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <system_error>
#include <thread>

namespace quill::threading {

// Runs T::Work() on a thread of its own, once. The object waits for its thread
// before T is destroyed, so a body never outlives the data it works on.
template <typename T>
class CThread : public T, public IThread {
public:
    using T::T;

    ~CThread() override { Wait(); }

    bool Start() override
    {
        if (!started_.exchange(true)) {
            try {
                thread_ = std::make_unique<std::thread>(&CThread::Procedure, this);
                handle_ = thread_->native_handle();
                threadId_ = static_cast<std::uint32_t>(std::hash<std::thread::id>{}(thread_->get_id()));
                hasHandle_ = true;
            } catch (const std::system_error&) {
                thread_.reset();
                startFailed_ = true;
            }
        }
        return IsRunning();
    }

    bool IsFinished() override { return started_ && (finished_ || startFailed_); }
    bool IsStarted() override { return started_; }
    bool IsRunning() override { return started_ && hasHandle_; }
    std::uint32_t GetThreadId() override { return threadId_; }
    ThreadHandle GetHandle() override { return hasHandle_ ? handle_ : ThreadHandle{}; }
    std::uint32_t GetExitCode() override { return exitCode_; }

    void Wait() override
    {
        while (!IsFinished() && IsStarted())
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (thread_) {
            thread_->join();
            thread_.reset();
            hasHandle_ = false;
        }
    }

private:
    void Procedure()
    {
        exitCode_ = static_cast<T*>(this)->Work();
        finished_ = true;
    }

    std::unique_ptr<std::thread> thread_;
    ThreadHandle handle_{};
    std::atomic<std::uint32_t> threadId_{0};
    std::atomic<bool> hasHandle_{false};
    std::atomic<bool> started_{false};
    std::atomic<bool> finished_{false};
    std::atomic<bool> startFailed_{false};
    std::atomic<std::uint32_t> exitCode_{0};
};

}  // namespace quill::threading
