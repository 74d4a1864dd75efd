#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "vexa/install/CFileListInfo.h"

class CXmlDocument;

// The files of one client version, in file order, kept by value. FileName
// lookups ignore letter case and the first of several equal names wins; they
// are answered from an index kept up to date as entries are added, because
// the updater looks up every file of one list in another.
class CFileList {
public:
    using const_iterator = std::vector<CFileListInfo>::const_iterator;

    void Add(CFileListInfo entry);
    void Clear();

    bool IsEmpty() const { return entries_.empty(); }
    std::size_t GetCount() const { return entries_.size(); }
    const CFileListInfo& operator[](std::size_t index) const { return entries_[index]; }
    const_iterator begin() const { return entries_.begin(); }
    const_iterator end() const { return entries_.end(); }

    // The first entry whose FileName equals name ignoring case; null when none does.
    const CFileListInfo* Find(const std::wstring& name) const;

private:
    // An open-addressing table from the hash of a case-folded FileName to the
    // first entry of that name; names themselves are compared in the entries.
    struct Slot {
        std::uint64_t hash;
        std::uint32_t position;  // entry position + 1; 0 marks a free slot
    };

    static std::uint64_t HashOfName(const std::wstring& name);
    const CFileListInfo* FindHashed(std::uint64_t hash, const std::wstring& name) const;
    void IndexEntry(std::uint64_t hash, std::size_t position);

    std::vector<CFileListInfo> entries_;
    std::vector<Slot> slots_;  // a power of two in size, at most half full
    std::size_t indexed_ = 0;
};

// FileName values and digests compare ignoring letter case.
bool EqualIgnoringCase(const std::wstring& left, const std::wstring& right);

// With the document's current element a File element: reads FileName, Md5 and
// Size in that order; false at the first one missing, the rest left as they were.
bool ReadFileListEntry(CXmlDocument& document, CFileListInfo& entry);
// Empties the list and fills it from a "filelist.xml"; it stays empty when the
// file is missing, unreadable or not well-formed.
void ReadFileList(const std::wstring& path, CFileList& list);
// ReadFileList that tells: false when the file could not be loaded as well-formed XML.
bool LoadFileList(const std::wstring& path, CFileList& list);
// Reads a "filelist.xml" and hands its entries to visit in file order, until visit
// returns false; no list is built. False when the file could not be loaded as
// well-formed XML (nothing was visited then).
bool ForEachFileListEntry(const std::wstring& path, const std::function<bool(CFileListInfo&&)>& visit);
// Writes the list in the "filelist.xml" format. The new list goes to a temporary
// file beside path that then replaces it, so path always holds a whole list.
bool WriteFileList(const CFileList& list, const std::wstring& path);
// Copies the first entry named name (ignoring case) into out.
bool FindFileListEntry(const CFileList& list, const std::wstring& name, CFileListInfo& out);
