#pragma once
#include <string>
#include <string_view>

namespace platform {

// True when the system can convert this numbered code page.
bool IsCodePageAvailable(unsigned codePage);

// Bytes in the code page -> wide text. False (out empty) for an unknown code page.
// Invalid byte sequences become U+FFFD, as the Windows converter does.
bool CodePageToWide(unsigned codePage, std::string_view bytes, std::wstring& out);

// Wide text -> bytes. False for an unknown code page. A character the code page cannot
// hold becomes '?' and sets *lossy (when lossy is given).
bool WideToCodePage(unsigned codePage, std::wstring_view text, std::string& out, bool* lossy = nullptr);

}  // namespace platform
