#pragma once
#include <set>
#include <string>
#include <utility>

// Names of the temporary files a copy-over makes beside its target, shared by both
// backends: "." + the target's name + ".copy-" + six letters or digits.
namespace platform::copy_names {

// The folder part (with its separator) and the name of a native path.
std::pair<std::string, std::string> SplitFolder(const std::string& path);

// The temporary name beside target, its six unique characters still "XXXXXX".
std::string TemporaryPatternBeside(const std::string& target);

// The target name whose copy left this entry name, or empty when it is no such leftover.
std::string CopiedName(const std::string& entry);

// Deletes the regular files in folder that copies of these names left (each backend's own).
void RemoveLeftoversIn(const std::string& folder, const std::set<std::string>& names);

}  // namespace platform::copy_names
