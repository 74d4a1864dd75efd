#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace platform::testing {

// Makes the folders of names one inside the other below the UTF-8 path parent and, when
// fileName is not empty, a file holding bytes in the innermost. Each is reached from
// the folder before it, not by its full path, so the chain may grow longer than any
// path the system opens. False when a step failed. POSIX only: Windows' W functions
// open nothing relative to a folder.
bool MakeFolderChain(const std::string& parent, const std::vector<std::string>& names,
                     const std::string& fileName = {}, std::string_view bytes = {});

}  // namespace platform::testing
