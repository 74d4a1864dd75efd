#pragma once
#include <string>
#include <vector>

// What the command line asks for.
enum RunMode {
    RUN_UPDATE = 1,
    RUN_CHECK = 2,
    RUN_NOTHING = 3,
};

// The switches of the file-list tool; a later argument never clears one.
struct ToolSwitches {
    bool generate = false;
    bool force = false;
    bool quiet = false;
    bool skipOwnFolder = false;
    // The tree to list, from the last argument; empty: the tree the updater is in.
    std::wstring tree;
};

// The arguments after the program name, widened from the charset the process was
// started with. Done before the locale changes, as the system's code page would be.
std::vector<std::wstring> WidenArguments(int argc, char** argv);

// Turns every '-' into a space and trims white space, so "-update", "--update" and
// " update " all read "update".
std::wstring NormalizeArgument(const std::wstring& argument);

// The switches g, f, q and s found anywhere among the arguments, ignoring case, and the
// tree to list: the last argument when it is none of them, not a mode and not dashed.
ToolSwitches ReadToolSwitches(const std::vector<std::wstring>& arguments);

// Runs the file-list tool when the switch g is present; true when it ran.
// toolFailed tells whether it failed to write a list.
bool ScanToolSwitches(const std::vector<std::wstring>& arguments, bool& toolFailed);

// "update" or "checkupdate" [window name] as the first argument, ignoring case;
// anything else is RUN_NOTHING. windowName is set only in the check mode.
RunMode ParseModeArguments(const std::vector<std::wstring>& arguments, std::wstring& windowName);
