#pragma once
#include <cstddef>
#include <string>

// Downloads one URL into one local file with libcurl. The file is opened for
// appending; when it already holds data only the rest is asked for with a byte
// range, so an interrupted download resumes. True when the transfer ended without
// a libcurl error and the server did not answer 404; bodies of other error answers
// land in the file like any body. Folders of the path are created as needed.
// showDialog asks for the single-bar progress dialog, which this platform does not
// draw yet: the transfer then runs without it.
bool DownloadFile(const std::wstring& url, const std::wstring& path, bool showDialog);

// libcurl's write function: appends a block to the open file.
std::size_t WriteToFile(void* data, std::size_t size, std::size_t count, void* file);
