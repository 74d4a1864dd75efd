#pragma once
#include <string>

// True when the file's content is a program this system runs: it begins with an
// ELF header or a "#!" line. A file new to the tree is installed executable when it
// is one, since the downloaded copy carries no permission to run.
bool IsProgramFile(const std::wstring& path);
