#include "platform/directory_walk.h"

#include <algorithm>

namespace platform {

namespace {

// Where wchar_t is 16 bits, a surrogate unit stands for a code point above every unit
// of the BMP, so it must sort after U+E000..U+FFFF.
std::uint32_t CodePointRank(wchar_t unit)
{
    const auto value = static_cast<std::uint32_t>(unit);
    if constexpr (sizeof(wchar_t) == 2) {
        if (value >= 0xD800)
            return value >= 0xE000 ? value - 0x800 : value + 0x2000;
    }
    return value;
}

bool InCodePointOrder(const FolderEntry& left, const FolderEntry& right)
{
    return std::lexicographical_compare(left.name.begin(), left.name.end(), right.name.begin(), right.name.end(),
                                        [](wchar_t a, wchar_t b) { return CodePointRank(a) < CodePointRank(b); });
}

}  // namespace

CDirectoryWalk::EnterResult CDirectoryWalk::Fail(int error)
{
    lastError_ = error;
    return EnterResult::Failed;
}

CDirectoryWalk::EnterResult CDirectoryWalk::Entered(const Identity& folder, std::vector<FolderEntry>& entries)
{
    std::sort(entries.begin(), entries.end(), InCodePointOrder);
    entered_.push_back(folder);
    return EnterResult::Entered;
}

void CDirectoryWalk::Leave()
{
    if (!entered_.empty())
        entered_.pop_back();
}

}  // namespace platform
