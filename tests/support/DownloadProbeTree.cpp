#include "tests/support/DownloadProbeTree.h"

#include "tests/support/ChildProcess.h"
#include "tests/support/TestProgram.h"
#include "tests/support/UpdateLogText.h"

#include <algorithm>

namespace testing_support {

namespace {

const std::string kProbe = TestProgram("vexa-download-probe");

}  // namespace

DownloadProbeTree::DownloadProbeTree() : tree_(kProbe) {}

std::string DownloadProbeTree::InModule(const std::string& relative) const
{
    return ModuleFile(relative).string();
}

std::filesystem::path DownloadProbeTree::ModuleFile(const std::string& relative) const
{
    return tree_.ModuleFolder() / Utf8Path(relative);
}

int DownloadProbeTree::Run(const std::vector<std::string>& arguments,
                           const std::vector<std::pair<std::string, std::string>>& environment)
{
    ChildOptions options;
    options.arguments = arguments;
    options.environment = environment;
    ChildProcess child(tree_.Program().string(), options);
    const bool ended = child.Wait(std::chrono::seconds(60));
    output_ = child.Stdout();
    // Text-mode output ends its lines with "\r\n" on Windows.
    for (std::size_t at = 0; (at = output_.find("\r\n", at)) != std::string::npos;)
        output_.erase(at, 1);
    return ended ? child.ExitCode() : -1;
}

std::vector<std::wstring> DownloadProbeTree::LogMessages() const
{
    return testing_support::LogMessages(tree_.ModuleFolder() / "log" / "update.log");
}

bool DownloadProbeTree::Logged(const std::wstring& message) const
{
    const auto messages = LogMessages();
    return std::find(messages.begin(), messages.end(), message) != messages.end();
}

}  // namespace testing_support
