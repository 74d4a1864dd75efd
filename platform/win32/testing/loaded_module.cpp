#include "platform/testing/loaded_module.h"

#include "platform/text.h"

#include <windows.h>

namespace platform::testing {

CLoadedModule::CLoadedModule(const std::string& path) : handle_(LoadLibraryW(platform::WideFromUtf8(path).c_str()))
{
    if (!handle_)
        failure_ = "LoadLibraryW failed with error " + std::to_string(GetLastError());
}

CLoadedModule::~CLoadedModule()
{
    if (handle_)
        FreeLibrary(static_cast<HMODULE>(handle_));
}

void* CLoadedModule::Symbol(const char* name) const
{
    return handle_ ? reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name)) : nullptr;
}

}  // namespace platform::testing
