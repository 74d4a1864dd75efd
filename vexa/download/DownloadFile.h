#pragma once
#include <cstdint>
#include <string>

#include "vexa/download/CDownloadSink.h"
#include "vexa/download/TransferOptions.h"

// Downloads one URL into one local file with libcurl. The file is opened for
// appending; when it already holds data only the rest is asked for with a byte
// range, so an interrupted download resumes. True when the transfer ended without
// a libcurl error, the answer was a success and the file was flushed and closed.
// An answer other than success (404 included) writes nothing and fails; a 200 to
// the range starts the file afresh. A 416 to the range (the file is as long as the
// server's, or longer) asks once more for the whole file, which replaces the local
// one only when it comes. A body that would grow the file beyond sizeCap
// fails the download. A file that reached its cap or that the disk would not take
// (full) is deleted: no later run could finish it. Folders of the path are created
// as needed.
// showDialog puts the transfer behind the single-bar dialog, which closes itself at
// 100 % and can cancel the transfer ("已取消下载" is then shown). kind chooses the
// time limits (TransferLimits). A failure is logged with the URL (LogFailedTransfer).
// quietWhenMissing: a 404 is not logged (an optional file that may not be published).
bool DownloadFile(const std::wstring& url, const std::wstring& path, bool showDialog,
                  std::uint64_t sizeCap = CDownloadSink::kNoCap, TransferKind kind = TransferKind::LargeFile,
                  bool quietWhenMissing = false);
