#pragma once
#include <string>

class CDeltaPlan;
class CFileList;

// Downloads every entry of a non-empty file list, in order, each from baseUrl +
// FileName (percent-encoded, EncodeUrlPath) into localBase + FileName, and checks it against its Md5. A partial file
// is resumed; a file that already has its size is only checked. True when every
// entry is present with the expected digest. One libcurl handle serves the whole
// set, so the connection to the server is reused from file to file.
// With deltas, a file not yet begun is first rebuilt from its patch (fetched from
// baseUrl + the patch's name into localBase + that name) and the installed copy;
// any failure there logs one line and falls back to fetching the file whole.
bool DownloadFiles(const CFileList& entries, const std::wstring& baseUrl, const std::wstring& localBase,
                   const CDeltaPlan* deltas = nullptr);
