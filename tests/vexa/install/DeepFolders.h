#pragma once
#include <filesystem>

// Builds nested folders below parent whose full path is longer than the system
// accepts, so the innermost cannot be opened by its path. Walks step by step, each
// folder reached from the one before, so no full path is needed. True when all were
// made.
bool MakeFoldersTooDeepToOpen(const std::filesystem::path& parent);

// Builds nested folders below parent that can still be opened by their path, and in
// the innermost a file whose full path is longer than the system accepts, so it
// is listed by a walk but cannot be measured. True when all were made.
bool MakeFileTooDeepToMeasure(const std::filesystem::path& parent);
