#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Splits a parameter string as a Windows program splits its command line: white
// space separates, double quotes group, backslashes escape only quotes.
std::vector<std::wstring> SplitParameters(std::wstring_view parameters);

// Starts a program as a detached process (its own session, never waited for) with
// the parameters and working folder, only by executing it: a file that cannot be
// executed is never handed to a file-opening helper, since an updated tree must not
// have a document opened in a program's place. False when nothing started; failure
// then gets the system's words for why (e.g. "Permission denied").
bool ShellOpen(const std::wstring& file, const std::wstring& parameters, const std::wstring& workingFolder,
               std::wstring* failure = nullptr);

unsigned CurrentProcessId();

}  // namespace platform
