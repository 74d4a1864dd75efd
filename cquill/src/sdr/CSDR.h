#pragma once
#include "cquill.h"
#include "cquill/src/quill/CCriticalSection.h"
#include "cquill/src/quill/CTcpClientEx.h"
#include "cquill/src/sdr/SdrRequest.h"

#include <atomic>
#include <string>
#include <vector>

namespace quill::sdr {

// One question to one directory server: resolve, connect, send the framed query,
// read the framed answer, split it into entries, and log how it went. Another
// thread may end it at any time with Stop, which closes the socket.
class CSDR {
public:
    virtual ~CSDR() = default;

    // Ignored once Run has begun; a null text counts as "".
    virtual void Init(const char* key, const char* host, unsigned short port);
    virtual void Run();
    virtual void GetResult(std::vector<SdrEntry>& out);
    virtual bool IsStarted() { return started_; }
    virtual bool IsStopped() { return stopped_; }
    virtual bool HasData();
    virtual void Stop();
    virtual const SdrRequest& GetRequest() { return request_; }
    virtual const SdrRequest& GetRequestRecord() { return request_; }

private:
    bool Connect(std::string& record);
    bool SendQuery(std::string& record);
    void ReceiveAnswer(std::string& record);
    bool TryComplete(const std::string& received);
    void Finish(const std::string& record);

    SdrRequest request_;
    std::vector<SdrEntry> entries_;
    std::atomic<bool> started_{false};
    std::atomic<bool> stopped_{false};
    std::string payload_;
    net::CTcpClientEx client_;
    threading::CCriticalSection lock_;
};

}  // namespace quill::sdr
