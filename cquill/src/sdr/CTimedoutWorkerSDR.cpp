#include "cquill/src/sdr/CTimedoutWorkerSDR.h"

#include "cquill/src/sdr/GbkText.h"
#include "cquill/src/sdr/SDRLog.h"
#include "platform/clock.h"

#include <chrono>
#include <cstdio>
#include <thread>

namespace quill::sdr {

void CTimedoutWorkerSDR::Init(const char* key, const char* host, unsigned short port, std::int64_t timeout)
{
    timeout_ = timeout;
    inner_.Init(key, host, port);
}

std::uint32_t CTimedoutWorkerSDR::Work()
{
    std::string record = "--CTimedoutWorkerSDR--  \n" + DescribeRequest(GetRequest()) + " \n ";
    const std::time_t start = std::time(nullptr);
    if (!inner_.Start())
        return 0;
    while (!inner_.IsFinished()) {
        const std::time_t now = std::time(nullptr);
        if (timeout_ >= 0 && now - start >= timeout_) {
            Stop();
            record += Gbk(L"超时   \n");
            record += Gbk(L"开始时间：") + TimeText(start) + "\n";
            record += Gbk(L"现在时间：") + TimeText(now) + "\n";
            DirectoryLog().Write(record);
            DirectoryLog().Write("\n");
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return 0;
}

std::string TimeText(std::time_t time)
{
    static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const std::tm local = platform::LocalTime(time);
    char text[32];
    std::snprintf(text, sizeof text, "%s %s %2d %02d:%02d:%02d %04d\n", kDays[local.tm_wday % 7],
                  kMonths[local.tm_mon % 12], local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                  local.tm_year + 1900);
    return text;
}

}  // namespace quill::sdr
