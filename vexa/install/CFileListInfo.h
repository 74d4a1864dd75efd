#pragma once
#include <cstdint>
#include <string>
#include <utility>

// One file of a client version: its path below the client's root folder
// ("/"-separated, with a leading "/"), the MD5 digest of its bytes as 32
// lowercase hexadecimal digits, and its size in bytes (64-bit: game archives pass 2 GiB).
class CFileListInfo {
public:
    CFileListInfo() = default;
    CFileListInfo(std::wstring fileName, std::wstring md5, std::int64_t size);
    CFileListInfo(const CFileListInfo&) = default;
    CFileListInfo& operator=(const CFileListInfo&) = default;
    CFileListInfo(CFileListInfo&&) = default;
    CFileListInfo& operator=(CFileListInfo&&) = default;
    virtual ~CFileListInfo() = default;

    const std::wstring& GetFileName() const { return fileName_; }
    const std::wstring& GetMd5() const { return md5_; }
    std::int64_t GetSize() const { return size_; }

    void SetFileName(std::wstring fileName) { fileName_ = std::move(fileName); }
    void SetMd5(std::wstring md5) { md5_ = std::move(md5); }
    void SetSize(std::int64_t size) { size_ = size; }

private:
    friend class CFileList;  // compares names in place while indexing

    std::wstring fileName_;
    std::wstring md5_;
    std::int64_t size_ = 0;
};
