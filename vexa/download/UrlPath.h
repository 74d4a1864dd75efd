#pragma once
#include <string>

// The path part of a download URL from a published path or file name: its UTF-8
// bytes, each percent-encoded except the unreserved characters (letters, digits,
// '-', '.', '_', '~') and the '/' between segments. So a name holding ' ', '#',
// '%' or '?' reaches the server as itself instead of ending or changing the path.
std::wstring EncodeUrlPath(const std::wstring& path);
