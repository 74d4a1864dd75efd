#pragma once
#include <cstdint>
#include <thread>

namespace quill::threading {

// The body of a thread.
class IWorker {
public:
    virtual std::uint32_t Work() = 0;  // the thread's exit code
    virtual ~IWorker() = default;
};

class ICancel {
public:
    virtual void Cancel() = 0;
    virtual bool IsCancelled() = 0;

protected:
    ~ICancel() = default;
};

using ThreadHandle = std::thread::native_handle_type;

class IThread {
public:
    virtual bool Start() = 0;
    virtual bool IsFinished() = 0;
    virtual bool IsStarted() = 0;
    virtual bool IsRunning() = 0;
    virtual std::uint32_t GetThreadId() = 0;
    virtual ThreadHandle GetHandle() = 0;
    virtual std::uint32_t GetExitCode() = 0;
    virtual void Wait() = 0;

protected:
    ~IThread() = default;
};

}  // namespace quill::threading
