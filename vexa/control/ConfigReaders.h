#pragma once
#include "vexa/control/UpdateTypes.h"

#include <string>

// Where the configuration is published when "vexa.xml" names no SelfUrl or DownloadUrl.
extern const wchar_t* const kDefaultUpdateUrl;

// Each reads one key of a "vexa.xml" file, parsing the file anew. A file that
// cannot be opened, has no root element or lacks the key gives the key's default;
// the text is taken exactly as written.
std::wstring ReadStartExecute(const std::wstring& path);
std::wstring ReadMinVersion(const std::wstring& path);
// The two URLs always get one "/" appended to the text found.
std::wstring ReadSelfUrl(const std::wstring& path);
std::wstring ReadProductCode(const std::wstring& path);
std::wstring ReadDownloadUrl(const std::wstring& path);
std::wstring ReadCurVersion(const std::wstring& path);
// "filelist" or "installer", ignoring case; anything else is METHOD_INVALID.
UpdateMethodType ReadUpdateMethod(const std::wstring& path);

// True when the file opens as a configuration and names the key.
bool ConfigHasKey(const std::wstring& path, const wchar_t* key);
