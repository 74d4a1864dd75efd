#pragma once
#include <string>

// Signed publishing: when "update.pub" is in the updater's folder, a downloaded
// "vexa.xml", "filelist.xml" or installer is good only with a valid signature
// "<url>.sig", fetched right after it into "<path>.sig" and checked there against
// publishedPath, the file's path below SelfUrl or DownloadUrl (see FileSignature.h).
// True when there is no key or the signature verifies. Otherwise it logs that the
// file's signature did not verify, deletes the file (nothing may use or resume it)
// and returns false. The signature file never stays behind.
// True when "update.pub" is in the updater's folder.
bool UpdatesAreSigned();

bool CheckDownloadSignature(const std::wstring& url, const std::wstring& publishedPath, const std::wstring& path);
