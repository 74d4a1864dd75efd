#pragma once
#include "vexa/install/CFileListInfo.h"

#include <string>

namespace testing_support {

// The MD5 digest of these bytes in lowercase hex, as a file list holds it.
std::wstring DigestOf(const std::string& bytes);

// The file-list entry a publisher writes for a file of these bytes: FileName as
// given (with its leading '/'), the MD5 digest in lowercase hex and the size.
CFileListInfo PublishedEntry(const std::string& fileName, const std::string& bytes);

// Deterministic bytes of the given length, different for each seed.
std::string PatternBytes(std::size_t size, char seed = 'a');

}  // namespace testing_support
