#pragma once
#include <string>
#include <string_view>

namespace platform {

// UTF-8 <-> wide text. Invalid input (bad UTF-8, a wide value that is no Unicode
// scalar) becomes U+FFFD.
std::wstring WideFromUtf8(std::string_view bytes);
std::string Utf8FromWide(std::wstring_view text);

// The ANSI code page: on Windows the system's own (GetACP); elsewhere the process
// locale's charset, which before any locale is set (the "C" locale) is UTF-8. A
// character the charset cannot hold is replaced and sets *lossy (when lossy is given).
std::wstring WideFromAnsi(std::string_view bytes);
std::string AnsiFromWide(std::wstring_view text, bool* lossy = nullptr);
// One argument of ProgramMain as wide text: UTF-8 on Windows, the locale's charset elsewhere.
std::wstring WideFromArgument(std::string_view argument);

}  // namespace platform
