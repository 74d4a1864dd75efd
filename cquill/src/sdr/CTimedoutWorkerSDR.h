#pragma once
#include "cquill/src/quill/CThread.h"
#include "cquill/src/sdr/CAsynWokerSDR.h"

#include <cstdint>
#include <ctime>
#include <string>

namespace quill::sdr {

// Runs a request thread and stops the request once its time-out has passed.
class CTimedoutWorkerSDR : public threading::IWorker {
public:
    std::uint32_t Work() override;

    // timeout in seconds; negative means none.
    virtual void Init(const char* key, const char* host, unsigned short port, std::int64_t timeout);
    virtual void GetResult(std::vector<SdrEntry>& out) { inner_.GetResult(out); }
    virtual bool HasData() { return inner_.HasData(); }
    virtual void Stop() { inner_.Stop(); }
    virtual std::string GetHost() { return inner_.GetRequest().host; }
    virtual const SdrRequest& GetRequest() { return inner_.GetRequest(); }

protected:
    ~CTimedoutWorkerSDR() override { inner_.Stop(); }

private:
    threading::CThread<CAsynWokerSDR> inner_;
    std::int64_t timeout_ = -1;
};

// "Wed Jan  2 03:04:05 2026\n": local time, English names, 25 characters.
std::string TimeText(std::time_t time);

}  // namespace quill::sdr
