#pragma once
#include <string>
#include <vector>

namespace platform::testing {

// A null-terminated pointer array over texts, for exec.
inline std::vector<char*> ArgumentPointers(std::vector<std::string>& texts)
{
    std::vector<char*> pointers;
    for (auto& text : texts)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

}  // namespace platform::testing
