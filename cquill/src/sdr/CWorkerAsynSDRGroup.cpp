#include "cquill/src/sdr/CWorkerAsynSDRGroup.h"

#include "cquill/src/sdr/GbkText.h"
#include "cquill/src/sdr/SDRLog.h"
#include "cquill/src/sdr/SdrEndpoints.h"
#include "cquill/src/sdr/SdrProtocol.h"

#include <chrono>
#include <ctime>
#include <thread>

namespace quill::sdr {

namespace {

constexpr std::uint32_t kEnded = 2;
constexpr std::uint32_t kCancelled = 3;
constexpr int kEndpointCount = 6;
constexpr const wchar_t* kPairCancelled = L"在等待 辅SDRx时被取消";

void Pause(int milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace

CWorkerAsynSDRGroup::CWorkerAsynSDRGroup() : random_(static_cast<unsigned>(std::time(nullptr))) {}

CWorkerAsynSDRGroup::~CWorkerAsynSDRGroup()
{
    cancelled_ = true;
}

int CWorkerAsynSDRGroup::GetEndpointCount()
{
    threading::CLockGuard guard(lock_);
    return kEndpointCount;
}

void CWorkerAsynSDRGroup::SetRequest(const char* key, std::int64_t timeout)
{
    key_ = key ? key : "";
    for (const auto& endpoint : SdrEndpoints()) {
        const auto tokens = Split(endpoint, ":");
        const auto port = tokens.size() > 1 ? static_cast<unsigned short>(ReadDecimal(tokens[1]) & 0xFFFF) : 0;
        auto worker = std::make_unique<TimedWorker>();
        worker->Init(key_.c_str(), tokens.front().c_str(), port, timeout);
        threading::CLockGuard guard(lock_);
        workers_.push_back(std::move(worker));
    }
}

std::shared_ptr<TimedWorker> CWorkerAsynSDRGroup::Take(std::size_t index)
{
    auto position = std::next(workers_.begin(), static_cast<std::ptrdiff_t>(index));
    std::shared_ptr<TimedWorker> taken(position->release());
    workers_.erase(position);
    return taken;
}

std::shared_ptr<TimedWorker> CWorkerAsynSDRGroup::TakeFirst()
{
    threading::CLockGuard guard(lock_);
    return workers_.empty() ? nullptr : Take(0);
}

std::shared_ptr<TimedWorker> CWorkerAsynSDRGroup::TakeRandom()
{
    threading::CLockGuard guard(lock_);
    return workers_.empty() ? nullptr : Take(random_() % workers_.size());
}

void CWorkerAsynSDRGroup::Write(const std::string& record)
{
    DirectoryLog().Write(record);
    DirectoryLog().Write("\n");
}

// False when the lookup was cancelled while waiting (the record is then written).
bool CWorkerAsynSDRGroup::WaitFor(TimedWorker& worker, std::string& record, std::wstring_view cancelText)
{
    while (!worker.IsFinished()) {
        if (cancelled_) {
            Write(record + Gbk(cancelText));
            return false;
        }
        Pause(100);
    }
    return true;
}

void CWorkerAsynSDRGroup::Cancel()
{
    threading::CLockGuard guard(lock_);
    cancelled_ = true;
}

// False when the lookup was cancelled first: the answer then stays as the client saw it.
bool CWorkerAsynSDRGroup::TakeAnswer(TimedWorker& worker, std::string& record, std::wstring_view label,
                                     std::wstring_view cancelText)
{
    bool taken = false;
    {
        threading::CLockGuard guard(lock_);
        if (!cancelled_) {
            worker.GetResult(entries_);
            server_ = worker.GetHost();
            taken = true;
        }
    }
    if (!taken) {
        Write(record + Gbk(cancelText));
        return false;
    }
    Write(record + Gbk(label) + server_);
    return true;
}

std::uint32_t CWorkerAsynSDRGroup::Work()
{
    std::string record = "--CWorkerAsynSDRGroup--\n";
    struct Stage {
        std::shared_ptr<TimedWorker> worker;
        const wchar_t* start;
        const wchar_t* cancelled;
        const wchar_t* answered;
    };
    // The first endpoint and a random other one run together; they are waited for in turn.
    const Stage stages[] = {
        {TakeFirst(), L"主SDR: 开始\n", L"在等待主SDR时被取消\n", L"主SDR 有数据 ."},
        {TakeRandom(), L"辅助SDR: 开始\n", L"在等待 辅SDR1时被取消\n", L"辅SDR1有数据 ."},
    };
    for (const Stage& stage : stages) {
        if (stage.worker) {
            record += Gbk(stage.start) + DescribeRequest(stage.worker->GetRequest()) + "\n";
            stage.worker->Start();
        }
    }
    for (const Stage& stage : stages) {
        if (!stage.worker)
            continue;
        if (!WaitFor(*stage.worker, record, stage.cancelled))
            return kCancelled;
        if (stage.worker->HasData())
            return TakeAnswer(*stage.worker, record, stage.answered, stage.cancelled) ? kEnded : kCancelled;
    }
    return RunPairs(record);
}

// The remaining endpoints two at a time, in random order.
std::uint32_t CWorkerAsynSDRGroup::RunPairs(std::string& record)
{
    while (!cancelled_) {
        std::shared_ptr<TimedWorker> pair[2] = {TakeRandom(), TakeRandom()};
        if (!pair[0] && !pair[1]) {
            Write(record + "CWorkerAsynSDRGroup end");
            return kEnded;
        }
        const wchar_t* starts[2] = {L"辅SDR-x1: 开始\n", L"辅SDR-x2: 开始\n"};
        const wchar_t* answers[2] = {L"辅SDR-x1有数据 .", L"辅SDR-x2有数据 ."};
        for (int i = 0; i < 2; ++i) {
            if (pair[i]) {
                record += Gbk(starts[i]) + DescribeRequest(pair[i]->GetRequest()) + "\n";
                pair[i]->Start();
            }
        }
        while (pair[0] || pair[1]) {
            if (cancelled_) {
                Write(record + Gbk(kPairCancelled));
                return kCancelled;
            }
            for (int i = 0; i < 2; ++i) {
                if (!pair[i] || !pair[i]->IsFinished())
                    continue;
                if (pair[i]->HasData())
                    return TakeAnswer(*pair[i], record, answers[i], kPairCancelled) ? kEnded : kCancelled;
                pair[i].reset();
            }
            // A short sleep instead of spinning: the pair may run for many seconds.
            Pause(1);
        }
    }
    return kCancelled;
}

}  // namespace quill::sdr
