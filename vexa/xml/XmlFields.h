#pragma once
#include <string>
#include <string_view>

class CXmlDocument;

// What the updater's own lists (the file list, the delta manifest) start with.
extern const wchar_t kUtf8Declaration[];

// Finds the next child element of that name under the current element and takes its
// text; false, text untouched, when there is none.
bool ReadChildField(CXmlDocument& document, std::wstring_view name, std::wstring& text);
