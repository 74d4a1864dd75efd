#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// Reads one value of a private-profile (INI) file: section and key names compare
// without regard to case, blanks around names and values are dropped and a value in
// matching quotes loses them. A missing file, section or key gives defaultValue.
// The result is cut to bufferSize - 1 characters, as a reader with a buffer of that
// many characters (terminator included) would return it.
std::wstring ReadProfileString(const std::wstring& path, std::wstring_view section, std::wstring_view key,
                               std::wstring_view defaultValue, std::size_t bufferSize);

}  // namespace platform
