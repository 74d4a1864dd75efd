#pragma once
#include "cquill/src/quill/ThreadInterfaces.h"
#include "cquill/src/sdr/CSDR.h"

namespace quill::sdr {

// Runs one request on its thread and ends once the request reports stopped.
class CAsynWokerSDR : public threading::IWorker {
public:
    std::uint32_t Work() override;

    virtual void Init(const char* key, const char* host, unsigned short port) { sdr_.Init(key, host, port); }
    virtual void GetResult(std::vector<SdrEntry>& out) { sdr_.GetResult(out); }
    virtual bool HasData() { return sdr_.HasData(); }
    virtual void Stop() { sdr_.Stop(); }
    virtual const SdrRequest& GetRequest() { return sdr_.GetRequest(); }
    virtual const SdrRequest& GetRequestRecord() { return sdr_.GetRequestRecord(); }

protected:
    // The request is stopped before it is destroyed, whoever owns the thread.
    ~CAsynWokerSDR() override { sdr_.Stop(); }

private:
    CSDR sdr_;
};

}  // namespace quill::sdr
