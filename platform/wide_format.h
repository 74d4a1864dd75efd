#pragma once
#include <cstdarg>
#include <cstddef>
#include <string>

namespace platform {

// printf-style wide formatting with the Windows conventions the system's format
// strings are written in: %s and %c take wide arguments, %S, %C, %hs and %hc narrow
// ones, %I64 marks a 64-bit integer and %I a size. At most limit - 1 characters:
// false (out empty) when the result would need limit characters or more.
bool FormatWindowsWide(std::wstring& out, std::size_t limit, const wchar_t* format, std::va_list args);

}  // namespace platform
