#pragma once
#include <string>

class CFileList;

// Downloads every entry of a non-empty file list, in order, each from baseUrl +
// FileName (percent-encoded, EncodeUrlPath) into localBase + FileName, and checks it against its Md5. A partial file
// is resumed; a file that already has its size is only checked. True when every
// entry is present with the expected digest. One libcurl handle serves the whole
// set, so the connection to the server is reused from file to file.
bool DownloadFiles(const CFileList& entries, const std::wstring& baseUrl, const std::wstring& localBase);
