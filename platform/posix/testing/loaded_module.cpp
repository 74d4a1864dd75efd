#include "platform/testing/loaded_module.h"

#include <dlfcn.h>

namespace platform::testing {

CLoadedModule::CLoadedModule(const std::string& path) : handle_(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL))
{
    if (!handle_)
        failure_ = dlerror();
}

CLoadedModule::~CLoadedModule()
{
    if (handle_)
        dlclose(handle_);
}

void* CLoadedModule::Symbol(const char* name) const
{
    return handle_ ? dlsym(handle_, name) : nullptr;
}

}  // namespace platform::testing
