#include "cquill/src/ThreadBase.h"

#include "cquill/src/LogManager.h"
#include "platform/clock.h"

namespace quill {

CThreadBase::~CThreadBase()
{
    FinishThread();
}

void CThreadBase::FinishThread()
{
    StopThread();
    thread_.Join();
}

bool CThreadBase::StartThread()
{
    if (running_)
        return false;
    running_ = true;
    // A thread an earlier StopThread stopped waiting for must not run beside the new one;
    // signals it left behind would end the new thread at once.
    thread_.Join();
    stopEvent_.Reset();
    exitedEvent_.Reset();
    if (!thread_.Start([this] { ThreadProc(this); })) {
        LogInfo(L"Thread created fail!");
        running_ = false;
        return false;
    }
    threadId_ = thread_.Id();
    LogInfo(L"Thread %d is created, Priority is: %d !", static_cast<int>(threadId_), thread_.Priority());
    return true;
}

bool CThreadBase::StopThread()
{
    if (!running_)
        return false;
    stopEvent_.Set();
    exitedEvent_.Wait(stopWaitMilliseconds);
    running_ = false;
    LogInfo(L"Thread %d exited success!", static_cast<int>(threadId_));
    return true;
}

unsigned CThreadBase::ThreadProc(void* parameter)
{
    if (!parameter)
        return 0xFFFFFFFFu;
    auto& self = *static_cast<CThreadBase*>(parameter);
    self.OnThreadStart();
    while (!self.stopEvent_.Wait(stepWaitMilliseconds) && self.Run())
        platform::SleepMilliseconds(stepSleepMilliseconds);
    self.exitedEvent_.Set();
    self.OnThreadStop();
    return 0;
}

}  // namespace quill
