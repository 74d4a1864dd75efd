#pragma once
#include "cquill.h"
#include "cquill/src/quill/CCriticalSection.h"
#include "cquill/src/quill/CThread.h"
#include "cquill/src/quill/ThreadInterfaces.h"
#include "cquill/src/sdr/CTimedoutWorkerSDR.h"

#include <atomic>
#include <cstdint>
#include <list>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace quill::sdr {

using TimedWorker = threading::CThread<CTimedoutWorkerSDR>;

// The six requests of one lookup and their schedule: the first endpoint together
// with a random other one, then the rest two at a time, until a request that is
// waited for answers with entries.
class CWorkerAsynSDRGroup : public threading::IWorker, public threading::ICancel {
public:
    CWorkerAsynSDRGroup();
    ~CWorkerAsynSDRGroup() override;

    std::uint32_t Work() override;
    // Once it returns, the answer never changes again: the client may read it as soon as
    // the lookup reports itself finished, while this group's thread still runs.
    void Cancel() override;
    bool IsCancelled() override { return cancelled_; }

    virtual const std::vector<SdrEntry>& GetResult() { return entries_; }
    virtual void CopyResult(std::vector<SdrEntry>& out) { out = entries_; }
    virtual int GetEndpointCount();
    virtual const std::string& GetServer() { return server_; }

    // Prepares one request per endpoint; timeout per request in seconds, negative: none.
    void SetRequest(const char* key, std::int64_t timeout);

private:
    std::shared_ptr<TimedWorker> TakeFirst();
    std::shared_ptr<TimedWorker> TakeRandom();
    std::shared_ptr<TimedWorker> Take(std::size_t index);
    bool WaitFor(TimedWorker& worker, std::string& record, std::wstring_view cancelText);
    bool TakeAnswer(TimedWorker& worker, std::string& record, std::wstring_view label, std::wstring_view cancelText);
    std::uint32_t RunPairs(std::string& record);
    void Write(const std::string& record);

    std::list<std::unique_ptr<TimedWorker>> workers_;
    std::vector<SdrEntry> entries_;
    std::atomic<bool> cancelled_{false};
    std::string key_;
    std::string server_;
    threading::CCriticalSection lock_;
    std::minstd_rand random_;
};

}  // namespace quill::sdr
