#include "platform/named_mutex.h"

#include "platform/runtime_folder.h"

namespace platform {
namespace {

// A '/' in the name would point into another folder.
std::wstring LockFileName(std::wstring name)
{
    for (auto& c : name)
        if (c == L'/')
            c = L'_';
    return name + L".lock";
}

}  // namespace

CNamedMutex::CNamedMutex(const std::wstring& name)
{
    const auto folder = RuntimeFolder(&error_);
    if (folder)
        lock_.Take(*folder + LockFileName(name));
}

void CNamedMutex::Close()
{
    lock_.Close();
}

}  // namespace platform
