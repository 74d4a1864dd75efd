#include "vexa/install/CFileListInfo.h"

#include <utility>

CFileListInfo::CFileListInfo(std::wstring fileName, std::wstring md5, std::int64_t size)
    : fileName_(std::move(fileName)), md5_(std::move(md5)), size_(size)
{
}
