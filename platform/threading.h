#pragma once
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace platform {

// Auto-reset event: a signal releases one wait and is then consumed.
class CEvent {
public:
    void Set();
    void Reset();
    // True when the event was signalled within the time; the signal is consumed.
    bool Wait(unsigned milliseconds);

private:
    std::mutex lock_;
    std::condition_variable changed_;
    bool signalled_ = false;
};

// One operating-system thread running one function. Never detached: the owner joins it,
// and the destructor does so if the owner did not.
class CSystemThread {
public:
    CSystemThread() = default;
    ~CSystemThread();
    CSystemThread(const CSystemThread&) = delete;
    CSystemThread& operator=(const CSystemThread&) = delete;

    // False when the system cannot create the thread.
    bool Start(std::function<void()> body);
    // Waits for the thread to end; called on that thread itself, lets it end unwaited.
    void Join();

    // The kernel's id and scheduling priority of the thread, as it reported them at its start.
    unsigned Id() const { return id_; }
    int Priority() const { return priority_; }

private:
    struct Identity {
        unsigned id = 0;
        int priority = 0;
    };

    std::thread thread_;
    unsigned id_ = 0;
    int priority_ = 0;
};

// The kernel's id of the calling thread.
unsigned CurrentThreadId();
// The system's scheduling priority of the calling thread.
int CurrentThreadPriority();

}  // namespace platform
