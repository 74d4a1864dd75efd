#include "platform/program_entry.h"

#include "platform/text.h"

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

// The wide command line, split as the system splits it, reaches the program as UTF-8:
// the narrow argv the runtime builds would lose what the ANSI code page cannot hold.
int main()
{
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 0; wide && i < count; ++i)
        arguments.push_back(platform::Utf8FromWide(wide[i]));
    LocalFree(wide);
    std::vector<char*> argv;
    for (auto& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    return ProgramMain(static_cast<int>(arguments.size()), argv.data());
}
