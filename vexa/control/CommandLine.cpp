#include "vexa/control/CommandLine.h"

#include "vexa/control/TextUtils.h"
#include "vexa/install/FileList.h"
#include "vexa/install/FileListTool.h"

#include <algorithm>

std::vector<std::wstring> WidenArguments(int argc, char** argv)
{
    std::vector<std::wstring> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.push_back(ToWide(argv[i]));
    return arguments;
}

std::wstring NormalizeArgument(const std::wstring& argument)
{
    std::wstring text = argument;
    std::replace(text.begin(), text.end(), L'-', L' ');
    return TrimWhiteSpace(text);
}

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
    return switches;
}

bool ScanToolSwitches(const std::vector<std::wstring>& arguments, bool& toolFailed)
{
    const ToolSwitches switches = ReadToolSwitches(arguments);
    if (!switches.generate)
        return false;
    toolFailed = !GenerateFileList(switches.force, switches.quiet, switches.skipOwnFolder);
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
