#include "platform/wakeup.h"

#include <windows.h>

namespace platform {

namespace {

HANDLE EventOf(std::intptr_t descriptor)
{
    return reinterpret_cast<HANDLE>(descriptor);
}

}  // namespace

// An auto-reset event: a wake stays set until one wait takes it.
CWakeup::CWakeup()
{
    const HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    descriptor_ = event ? reinterpret_cast<std::intptr_t>(event) : -1;
}

CWakeup::~CWakeup()
{
    if (descriptor_ != -1)
        CloseHandle(EventOf(descriptor_));
}

void CWakeup::Wake()
{
    SetEvent(EventOf(descriptor_));
}

void CWakeup::Consume()
{
    WaitForSingleObject(EventOf(descriptor_), 0);
}

bool CWakeup::Wait(unsigned milliseconds)
{
    return WaitForSingleObject(EventOf(descriptor_), milliseconds) == WAIT_OBJECT_0;
}

}  // namespace platform
