#include "platform/startup.h"

#include <cstdlib>
#include <string_view>

namespace platform {
namespace {

bool FaultRequested(std::string_view fault)
{
    const char* faults = std::getenv("VEXA_FAULT");
    std::string_view list = faults ? faults : "";
    while (!list.empty()) {
        const auto comma = list.find(',');
        if (list.substr(0, comma) == fault)
            return true;
        list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
    }
    return false;
}

}  // namespace

bool GetModuleHandleOk()
{
    return !FaultRequested("module_handle");
}

bool InitApplicationFramework()
{
    return !FaultRequested("framework_init");
}

}  // namespace platform
