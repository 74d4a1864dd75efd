#pragma once
#include <string>
#include <vector>

// What "vexa --help" and "vexa --version" print: the usage text or the version line,
// when the first argument is exactly one of them; empty for any other command line,
// which keeps its meaning. Answered before the updater takes its lock or writes a file.
std::string InformationText(const std::vector<std::wstring>& arguments);
