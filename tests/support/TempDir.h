#pragma once
#include <filesystem>
#include <string>

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

// The wide path the code under test gets for a test path: its UTF-8 bytes widened.
// path::wstring() would throw on the non-ASCII folder under the C locale.
std::wstring WidePath(const std::filesystem::path& path);

}  // namespace testing_support
