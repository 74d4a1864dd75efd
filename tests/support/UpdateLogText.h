#pragma once
#include <filesystem>
#include <string>
#include <vector>

namespace testing_support {

// UTF-16LE bytes from offset as wide text, surrogate pairs joined where wchar_t holds a
// whole code point.
std::wstring DecodeUtf16Le(const std::string& bytes, std::size_t offset);

// The messages of decoded log text (timestamps cut off), each line checked for a
// timestamp and CR LF.
std::vector<std::wstring> SplitLogMessages(const std::wstring& text);

// The messages of an "update.log" file; empty when there is none.
std::vector<std::wstring> LogMessages(const std::filesystem::path& logFile);

}  // namespace testing_support
