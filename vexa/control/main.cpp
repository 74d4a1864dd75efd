#include "platform/program_entry.h"
#include "vexa/control/CommandLine.h"
#include "vexa/control/EntryPoint.h"
#include "vexa/control/Usage.h"

#include <cstdio>

int ProgramMain(int argc, char** argv)
{
    const std::vector<std::wstring> arguments = WidenArguments(argc, argv);
    if (const std::string text = InformationText(arguments); !text.empty()) {
        std::fputs(text.c_str(), stdout);
        return 0;
    }
    return RunVexa(arguments);
}
