#pragma once
#include <string>
#include <string_view>

// Conversions through iconv by charset name, shared by the code-page and ANSI
// conversions of the POSIX backend.
namespace platform::posix {

// True when iconv converts between wide text and the charset both ways.
bool IconvHasCharset(const char* charset);

// False when iconv does not know the charset. Undecodable bytes become U+FFFD.
bool IconvToWide(const char* charset, std::string_view bytes, std::wstring& out);

// False when iconv does not know the charset. Unencodable characters become
// '?' and set *lossy.
bool IconvFromWide(const char* charset, std::wstring_view text, std::string& out, bool* lossy);

}  // namespace platform::posix
