#include "tests/support/TempDir.h"

#include "platform/text.h"

#include <algorithm>
#include <random>
#include <string>

namespace testing_support {

namespace {

// "游戏 é": CJK, a Latin letter with an accent, and a space.
constexpr const char* kNonAsciiName = "\xE6\xB8\xB8\xE6\x88\x8F \xC3\xA9";

}  // namespace

TempDir::TempDir()
{
    // A folder that already exists is never taken: create_directory says whether it made it.
    std::random_device random;
    do
        base_ = std::filesystem::temp_directory_path() / ("vexa-test-" + std::to_string(random()));
    while (!std::filesystem::create_directory(base_));
    path_ = base_ / Utf8Path(kNonAsciiName);
    std::filesystem::create_directory(path_);
    // Private to the user: tests use it as the runtime folder.
    std::filesystem::permissions(base_, std::filesystem::perms::owner_all);
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all);
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(base_, ignored);
}

std::filesystem::path Utf8Path(std::string_view name)
{
    return std::filesystem::path(std::u8string(name.begin(), name.end()));
}

std::wstring WidePath(const std::filesystem::path& path)
{
    return platform::WideFromUtf8(path.string());
}

std::wstring UpdaterPath(const std::filesystem::path& path)
{
    std::wstring wide = WidePath(path);
    std::replace(wide.begin(), wide.end(), L'\\', L'/');
    return wide;
}

}  // namespace testing_support
