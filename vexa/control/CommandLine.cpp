#include "vexa/control/CommandLine.h"

#include "platform/text.h"
#include "vexa/control/TextUtils.h"
#include "vexa/install/FileList.h"
#include "vexa/install/FileListTool.h"

#include <algorithm>

std::vector<std::wstring> WidenArguments(int argc, char** argv)
{
    std::vector<std::wstring> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.push_back(platform::WideFromArgument(argv[i]));
    return arguments;
}

std::wstring NormalizeArgument(const std::wstring& argument)
{
    std::wstring text = argument;
    std::replace(text.begin(), text.end(), L'-', L' ');
    return TrimWhiteSpace(text);
}

namespace {

bool IsSwitchOrMode(const std::wstring& argument)
{
    const std::wstring word = NormalizeArgument(argument);
    for (const wchar_t* known : {L"g", L"f", L"q", L"s", L"update", L"checkupdate"}) {
        if (EqualIgnoringCase(word, known))
            return true;
    }
    return false;
}

// The folder is taken as typed: a name may hold dashes and spaces. "-g update", which
// has always run the tool on the updater's own tree, still does.
std::wstring TreeArgument(const std::vector<std::wstring>& arguments)
{
    if (arguments.empty() || arguments.back().empty() || arguments.back().front() == L'-' ||
        IsSwitchOrMode(arguments.back()))
        return {};
    return arguments.back();
}

}  // namespace

ToolSwitches ReadToolSwitches(const std::vector<std::wstring>& arguments)
{
    ToolSwitches switches;
    for (const std::wstring& argument : arguments) {
        const std::wstring word = NormalizeArgument(argument);
        switches.generate |= EqualIgnoringCase(word, L"g");
        switches.force |= EqualIgnoringCase(word, L"f");
        switches.quiet |= EqualIgnoringCase(word, L"q");
        switches.skipOwnFolder |= EqualIgnoringCase(word, L"s");
    }
    switches.tree = TreeArgument(arguments);
    return switches;
}

bool ScanToolSwitches(const std::vector<std::wstring>& arguments, bool& toolFailed)
{
    const ToolSwitches switches = ReadToolSwitches(arguments);
    if (!switches.generate)
        return false;
    toolFailed = !GenerateFileList(switches.force, switches.quiet, switches.skipOwnFolder, switches.tree);
    return true;
}

RunMode ParseModeArguments(const std::vector<std::wstring>& arguments, std::wstring& windowName)
{
    if (arguments.empty())
        return RUN_NOTHING;
    const std::wstring mode = NormalizeArgument(arguments[0]);
    if (EqualIgnoringCase(mode, L"checkupdate")) {
        if (arguments.size() > 1)
            windowName = NormalizeArgument(arguments[1]);
        return RUN_CHECK;
    }
    if (EqualIgnoringCase(mode, L"update"))
        return RUN_UPDATE;
    return RUN_NOTHING;
}
