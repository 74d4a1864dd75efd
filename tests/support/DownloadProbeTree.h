#pragma once
#include "tests/support/ClientTree.h"

#include <string>
#include <utility>
#include <vector>

namespace testing_support {

// A client tree holding tools/vexa-download-probe in its updater folder, so the
// download operations run with that tree's module folder, log and paths.
class DownloadProbeTree {
public:
    DownloadProbeTree();

    const ClientTree& Tree() const { return tree_; }
    // "<module folder>/<relative>" as text for the probe's arguments.
    std::string InModule(const std::string& relative) const;
    // The same as a path for the test's own file operations (a UTF-8 text alone would
    // be taken in the system's code page on Windows).
    std::filesystem::path ModuleFile(const std::string& relative) const;

    // Runs the probe and waits for it: its exit code, -1 when it did not end normally.
    int Run(const std::vector<std::string>& arguments,
            const std::vector<std::pair<std::string, std::string>>& environment = {});
    // Its standard output, lines ended by '\n' on every system.
    const std::string& Output() const { return output_; }

    // The messages of "log/update.log", decoded, one per line, without their times.
    std::vector<std::wstring> LogMessages() const;
    bool Logged(const std::wstring& message) const;

private:
    ClientTree tree_;
    std::string output_;
};

}  // namespace testing_support
