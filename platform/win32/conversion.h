#pragma once
#include <string>
#include <string_view>

namespace platform::win32 {

// Bytes in a code page the system converts -> UTF-16. Each character the code page
// cannot decode becomes U+FFFD. Empty for a code page the system does not know.
std::wstring ToWide(unsigned codePage, std::string_view bytes);

// UTF-16 -> bytes. A character the code page cannot hold becomes '?' and sets *lossy.
std::string FromWide(unsigned codePage, std::wstring_view text, bool* lossy);

}  // namespace platform::win32
