#include "cquill/src/ThreadBase.h"

#include "cquill/src/LogManager.h"

namespace quill {

namespace {

// The object whose worker runs on this thread, so that it never waits for or joins itself.
thread_local const CThreadBase* servedObject = nullptr;

}  // namespace

CThreadBase::~CThreadBase()
{
    FinishThread();
}

void CThreadBase::FinishThread()
{
    StopThread();
    // Its own thread cannot wait for itself: it ends after the current step instead,
    // leaving the object alone, and takes its record with it.
    if (run_ && OnOwnThread()) {
        run_->ownerGone = true;
        run_.reset();
        servedObject = nullptr;
    }
    JoinRun();
}

bool CThreadBase::OnOwnThread() const
{
    return servedObject == this;
}

void CThreadBase::JoinRun()
{
    if (run_ && !OnOwnThread())
        run_->thread.Join();
}

bool CThreadBase::StartThread()
{
    if (running_)
        return false;
    auto run = std::make_shared<CRun>();
    run->owner = this;
    // A thread an earlier StopThread stopped waiting for must not run beside the new one.
    // The caller does not wait for it (it may be the thread itself, or that thread may be
    // inside a listener waiting for the caller): the new thread does.
    run->predecessor = run_;
    // The thread keeps its record: it may outlive an owner destroyed from inside a step.
    if (!run->thread.Start([run] { ThreadProc(run.get()); })) {
        LogInfo(L"Thread created fail!");
        return false;
    }
    LogInfo(L"Thread %d is created, Priority is: %d !", static_cast<int>(run->thread.Id()), run->thread.Priority());
    run_ = std::move(run);
    running_ = true;
    // Last: once released, a step may destroy this object.
    run_->release.set_value();
    return true;
}

bool CThreadBase::StopThread(unsigned waitMilliseconds)
{
    if (!running_)
        return false;
    run_->stopEvent.Set();
    wakeup_.Wake();
    // On the worker itself the loop can only end after this call returns.
    if (!OnOwnThread() && waitMilliseconds > 0)
        run_->exitedEvent.Wait(waitMilliseconds);
    running_ = false;
    LogInfo(L"Thread %d exited success!", static_cast<int>(run_->thread.Id()));
    return true;
}

unsigned CThreadBase::ThreadProc(void* parameter)
{
    if (!parameter)
        return 0xFFFFFFFFu;
    auto& run = *static_cast<CRun*>(parameter);
    run.released.wait();
    if (run.predecessor)
        run.predecessor->thread.Join();
    run.predecessor.reset();
    servedObject = run.owner;
    Loop(run);
    return 0;
}

void CThreadBase::Loop(CRun& run)
{
    CThreadBase* owner = run.owner;
    owner->OnThreadStart();
    // A step may have destroyed the owner (on this thread): it is not touched after that.
    while (!owner->Stopped(run) && owner->Run() && !run.ownerGone)
        owner->WaitForWork(stepSleepMilliseconds);
    run.exitedEvent.Set();
    if (!run.ownerGone)
        owner->OnThreadStop();
}

bool CThreadBase::Stopped(CRun& run)
{
    WaitForWork(stepWaitMilliseconds);
    return run.stopEvent.Wait(0);
}

void CThreadBase::WaitForWork(unsigned maxMilliseconds)
{
    wakeup_.Wait(maxMilliseconds);
}

}  // namespace quill
