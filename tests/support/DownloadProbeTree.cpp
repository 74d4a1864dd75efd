#include "tests/support/DownloadProbeTree.h"

#include "tests/support/ChildProcess.h"
#include "tests/support/TestProgram.h"

#include <algorithm>

namespace testing_support {

namespace {

const std::string kProbe = TestProgram("vexa-download-probe");

std::wstring DecodeUtf16Le(const std::string& bytes)
{
    std::wstring text;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
        text += static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) |
                                     static_cast<unsigned char>(bytes[i + 1]) << 8);
    return text;
}

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

// A line is "<time>: <message>\r\n"; the time holds no ": ".
std::vector<std::wstring> DownloadProbeTree::LogMessages() const
{
    const std::wstring text = DecodeUtf16Le(ReadFileBytes(tree_.ModuleFolder() / "log" / "update.log"));
    std::vector<std::wstring> messages;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find(L"\r\n", start)) != std::wstring::npos; start = end + 2) {
        const std::wstring line = text.substr(start, end - start);
        const std::size_t colon = line.find(L": ");
        messages.push_back(colon == std::wstring::npos ? line : line.substr(colon + 2));
    }
    return messages;
}

bool DownloadProbeTree::Logged(const std::wstring& message) const
{
    const auto messages = LogMessages();
    return std::find(messages.begin(), messages.end(), message) != messages.end();
}

}  // namespace testing_support
