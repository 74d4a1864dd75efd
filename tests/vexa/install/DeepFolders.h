#pragma once
#include <filesystem>

// Builds nested folders below parent whose full path is longer than the system
// accepts, so the innermost cannot be opened by its path. Walks step by step with
// folder descriptors, which have no such limit. True when all were made.
bool MakeFoldersTooDeepToOpen(const std::filesystem::path& parent);
