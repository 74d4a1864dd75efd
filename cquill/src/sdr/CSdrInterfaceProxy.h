#pragma once
#include "cquill.h"
#include "cquill/src/quill/CThread.h"
#include "cquill/src/sdr/CWorkTimedoutControlAsynSDRGroup.h"

namespace quill::sdr {

// The lookup object handed to the client; everything runs in the control thread.
class CSdrInterfaceProxy : public ISDR {
public:
    void SetRequest(const char* key, int timeout) override { control_.SetRequest(key, timeout); }
    void Release() override { delete this; }
    const std::vector<SdrEntry>& GetResult() override { return control_.GetResult(); }
    bool Start() override { return control_.Start(); }
    bool IsStarted() override { return control_.IsStarted(); }
    bool IsFinished() override { return control_.IsFinished(); }
    void Wait() override { control_.Wait(); }
    bool IsIdle() override { return !control_.IsStarted() || control_.IsFinished(); }
    void Cancel() override { control_.Cancel(); }
    bool IsCancelled() override { return control_.IsCancelled(); }
    virtual ~CSdrInterfaceProxy() = default;

private:
    threading::CThread<CWorkTimedoutControlAsynSDRGroup> control_;
};

}  // namespace quill::sdr
