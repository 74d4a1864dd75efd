#pragma once
#include "cquill/src/quill/CThread.h"
#include "cquill/src/quill/ThreadInterfaces.h"
#include "cquill/src/sdr/CWorkerAsynSDRGroup.h"

#include <atomic>

namespace quill::sdr {

// Runs the worker group on a thread of its own and carries the lookup's cancel
// flag, so a cancel ends the control thread at once.
class CWorkTimedoutControlAsynSDRGroup : public threading::IWorker, public threading::ICancel {
public:
    ~CWorkTimedoutControlAsynSDRGroup() override;

    std::uint32_t Work() override;
    void Cancel() override { cancelled_ = true; }
    bool IsCancelled() override { return cancelled_; }

    // timeout is the whole lookup's budget in seconds.
    virtual void SetRequest(const char* key, int timeout);
    virtual const std::vector<SdrEntry>& GetResult() { return group_.GetResult(); }
    virtual void CopyResult(std::vector<SdrEntry>& out) { group_.CopyResult(out); }
    virtual const std::string& GetServer() { return group_.GetServer(); }

private:
    std::atomic<bool> cancelled_{false};
    threading::CThread<CWorkerAsynSDRGroup> group_;
};

// The time-out of one request for a lookup budget: a third of it (two run at a time
// in three stages), at least 1 s; 0 stays 0, negative means none (-1).
std::int64_t PerRequestTimeout(int timeout, int endpointCount);

}  // namespace quill::sdr
