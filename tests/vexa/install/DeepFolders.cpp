#include "tests/vexa/install/DeepFolders.h"

#include <algorithm>
#include <string>
#include <vector>

#include "platform/testing/folder_chain.h"

bool MakeFoldersTooDeepToOpen(const std::filesystem::path& parent)
{
    return platform::testing::MakeFolderChain(parent.string(), std::vector<std::string>(20, std::string(250, 'd')));
}

bool MakeFileTooDeepToMeasure(const std::filesystem::path& parent)
{
    std::filesystem::create_directories(parent);
    std::vector<std::string> names;
    for (std::size_t length = parent.string().size(); length < 3900; length += names.back().size() + 1)
        names.emplace_back(std::min<std::size_t>(250, 3990 - length), 'd');
    return platform::testing::MakeFolderChain(parent.string(), names, std::string(200, 'f'), "x");
}
