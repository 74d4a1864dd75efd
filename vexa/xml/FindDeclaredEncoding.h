#pragma once
#include <string>
#include <string_view>

// The encoding a document names: the XML declaration at its very start, or an HTML
// meta Content-Type charset. Empty when it names none.
std::wstring FindDeclaredEncoding(std::wstring_view text);
