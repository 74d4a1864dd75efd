#include "cquill/src/sdr/CWorkTimedoutControlAsynSDRGroup.h"

#include "cquill/src/sdr/GbkText.h"
#include "cquill/src/sdr/SDRLog.h"

#include <chrono>
#include <thread>

namespace quill::sdr {

std::int64_t PerRequestTimeout(int timeout, int endpointCount)
{
    if (timeout < 0)
        return -1;
    if (timeout == 0)
        return 0;
    const unsigned share = 2u * static_cast<unsigned>(timeout) / static_cast<unsigned>(endpointCount);
    return share < 1 ? 1 : share;
}

CWorkTimedoutControlAsynSDRGroup::~CWorkTimedoutControlAsynSDRGroup()
{
    group_.Cancel();
}

void CWorkTimedoutControlAsynSDRGroup::SetRequest(const char* key, int timeout)
{
    group_.SetRequest(key, PerRequestTimeout(timeout, group_.GetEndpointCount()));
}

std::uint32_t CWorkTimedoutControlAsynSDRGroup::Work()
{
    std::string record = "--CWorkTimedoutControlAsynSDRGroup-- \n";
    group_.Start();
    while (true) {
        if (group_.IsFinished()) {
            DirectoryLog().Write(record + Gbk(L"结束"));
            DirectoryLog().Write("\n");
            return 2;
        }
        if (cancelled_) {
            DirectoryLog().Write(record + Gbk(L"取消了"));
            DirectoryLog().Write("\n");
            group_.Cancel();
            return 3;
        }
        // A short sleep instead of spinning for the whole lookup.
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

}  // namespace quill::sdr
