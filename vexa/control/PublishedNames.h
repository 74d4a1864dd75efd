#pragma once
#include <string>

// Values of the published configuration that become parts of folder names and URLs.
// The server is not trusted to keep them harmless, so they are checked first.

// A CurVersion that can name a folder: only digits, dots and white space, no "..".
bool IsFolderSafeVersion(const std::wstring& version);

// A ProductCode that stays one piece of a URL path: no '/', '\', "..", '?' or '#'.
bool IsUrlSafeProductCode(const std::wstring& productCode);
