#pragma once
#include <string>

// Values of the published configuration that become parts of folder names and URLs.
// The server is not trusted to keep them harmless, so they are checked first.

// A CurVersion that names a folder of its own below the download folder: not empty
// or blank, not "." or "..", no '/', '\' or control character. Anything else the
// version comparison makes sense of (or refuses) on its own.
bool IsFolderSafeVersion(const std::wstring& version);

// A ProductCode that stays one piece of a URL path: no '/', '\', "..", '?' or '#'.
bool IsUrlSafeProductCode(const std::wstring& productCode);
