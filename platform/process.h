#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Splits a parameter string as a Windows program splits its command line: white
// space separates, double quotes group, backslashes escape only quotes.
std::vector<std::wstring> SplitParameters(std::wstring_view parameters);

// Opens a file as the shell's "open" verb does: a program starts as a detached
// process (its own session, never waited for) with the parameters and working
// folder; any other file is handed to xdg-open when present. False when nothing
// could be started.
bool ShellOpen(const std::wstring& file, const std::wstring& parameters, const std::wstring& workingFolder);

unsigned CurrentProcessId();

}  // namespace platform
