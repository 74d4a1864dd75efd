#include "platform/testing/child_process.h"

#include <map>

namespace platform::testing {

std::vector<std::string> MergedEnvironment(const Environment& extra)
{
    std::map<std::string, std::string> merged;
    for (const std::string& text : OwnEnvironment()) {
        // Windows keeps entries such as "=C:=C:\..." (a drive's folder): a name starts at 1.
        const auto equals = text.find('=', 1);
        if (equals != std::string::npos)
            merged[text.substr(0, equals)] = text.substr(equals + 1);
    }
    for (const auto& [name, value] : extra)
        merged[name] = value;
    std::vector<std::string> result;
    for (const auto& [name, value] : merged)
        result.push_back(name + "=" + value);
    return result;
}

}  // namespace platform::testing
