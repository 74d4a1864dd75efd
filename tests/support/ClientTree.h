#pragma once
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/TempDir.h"

namespace testing_support {

// A client tree in a temporary folder: <temp>/root/ with the updater's folder
// <temp>/root/<moduleFolder>/ below it, holding a copy of a program (so that the
// program's module and root folders are the tree's).
class ClientTree {
public:
    explicit ClientTree(const std::filesystem::path& program, const std::string& moduleFolder = "vexa");

    const std::filesystem::path& Root() const { return root_; }
    const std::filesystem::path& ModuleFolder() const { return module_; }
    const std::filesystem::path& Program() const { return program_; }

    // Runs the copied program and waits for it: its exit code, or -1 when it did not
    // end normally within 30 seconds.
    int Run(const std::vector<std::string>& arguments) const;

private:
    TempDir temp_;
    std::filesystem::path root_;
    std::filesystem::path module_;
    std::filesystem::path program_;
};

// Whole file contents as bytes; empty when the file cannot be read.
std::string ReadFileBytes(const std::filesystem::path& path);
void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes);

}  // namespace testing_support
