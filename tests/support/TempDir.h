#pragma once
#include <filesystem>
#include <string>
#include <string_view>

namespace testing_support {

// A fresh private folder under the system temporary folder, removed with everything in it.
// Its name holds non-ASCII characters, so that every test using it also checks that file
// names reach the file system as their UTF-8 bytes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path base_;
    std::filesystem::path path_;
};

// Whether tests can make symbolic links: not on Windows, where making one needs a
// privilege and wine's CreateSymbolicLinkW reports success but makes nothing.
#ifdef _WIN32
constexpr bool kSymbolicLinks = false;
#else
constexpr bool kSymbolicLinks = true;
#endif

// A path from UTF-8 bytes on every system (a narrow string alone is taken in the
// runtime's own charset on Windows).
std::filesystem::path Utf8Path(std::string_view name);

// The wide path the code under test gets for a test path: its UTF-8 bytes widened.
// path::wstring() would throw on the non-ASCII folder under the C locale.
std::wstring WidePath(const std::filesystem::path& path);

// A test path as the updater names it in its log: '/' between folders on every system.
std::wstring UpdaterPath(const std::filesystem::path& path);

}  // namespace testing_support
