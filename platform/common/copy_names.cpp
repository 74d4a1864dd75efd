#include "platform/common/copy_names.h"

#include <algorithm>
#include <string_view>

namespace platform::copy_names {
namespace {

constexpr std::string_view kCopyMarker = ".copy-";
constexpr std::size_t kUniqueLength = 6;
// Where a path's folder ends: Windows takes either slash.
#ifdef _WIN32
constexpr const char* kSeparators = "/\\";
#else
constexpr const char* kSeparators = "/";
#endif

bool IsAsciiLetterOrDigit(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

}  // namespace

std::pair<std::string, std::string> SplitFolder(const std::string& path)
{
    const auto slash = path.find_last_of(kSeparators);
    if (slash == std::string::npos)
        return {std::string(), path};
    return {path.substr(0, slash + 1), path.substr(slash + 1)};
}

std::string TemporaryPatternBeside(const std::string& target)
{
    const auto [folder, name] = SplitFolder(target);
    return folder + "." + name + std::string(kCopyMarker) + std::string(kUniqueLength, 'X');
}

std::string CopiedName(const std::string& entry)
{
    const std::size_t fixed = 1 + kCopyMarker.size() + kUniqueLength;
    if (entry.size() <= fixed || entry[0] != '.')
        return std::string();
    const std::size_t unique = entry.size() - kUniqueLength;
    const std::size_t marker = unique - kCopyMarker.size();
    if (entry.compare(marker, kCopyMarker.size(), kCopyMarker) != 0 ||
        !std::all_of(entry.begin() + static_cast<std::ptrdiff_t>(unique), entry.end(), IsAsciiLetterOrDigit))
        return std::string();
    return entry.substr(1, marker - 1);
}

}  // namespace platform::copy_names
