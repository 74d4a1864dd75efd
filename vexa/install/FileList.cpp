#include "vexa/install/FileList.h"

#include <algorithm>
#include <cstdint>
#include <cwchar>
#include <cwctype>
#include <utility>

#include "platform/files.h"
#include "vexa/control/FileUtils.h"
#include "vexa/xml/CXmlDocument.h"
#include "vexa/xml/XmlFields.h"

namespace {

// Upper case, as the system compares names; plain ASCII, by far the most common
// in file names, skips the locale's tables.
wchar_t FoldChar(wchar_t c)
{
    if (c < 0x80)
        return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - (L'a' - L'A')) : c;
    return static_cast<wchar_t>(std::towupper(static_cast<std::wint_t>(c)));
}

// Base-10 conversion as the list has always been read: leading white space and a
// sign, digits up to the first other character, 0 without any, clamped to 64 bits.
std::int64_t ParseSize(const std::wstring& text)
{
    return std::wcstoll(text.c_str(), nullptr, 10);
}

// About the characters the entries take once written (names seldom need escapes).
std::size_t MarkupEstimate(const CFileList& list)
{
    constexpr std::size_t kTagsAndSize = 100;  // the five elements' tags, line breaks and a size
    std::size_t characters = 64;
    for (const CFileListInfo& entry : list)
        characters += entry.GetFileName().size() + entry.GetMd5().size() + kTagsAndSize;
    return characters;
}

void BuildDocument(const CFileList& list, CXmlDocument& document)
{
    document.SetText(kUtf8Declaration);
    document.Reserve(MarkupEstimate(list));
    document.AddElement(L"Root");
    document.AddChildElement(L"FileList");
    document.EnterElement();
    for (const CFileListInfo& entry : list) {
        document.AddChildElement(L"File");
        document.EnterElement();
        document.AddChildElement(L"FileName", entry.GetFileName());
        document.AddChildElement(L"Md5", entry.GetMd5());
        document.AddChildElement(L"Size", std::to_wstring(entry.GetSize()));
        document.LeaveElement();
    }
}

}  // namespace

// FNV-1a over the upper-cased characters, so names equal but for case hash alike;
// the high half is folded in because the table uses the low bits.
std::uint64_t CFileList::HashOfName(const std::wstring& name)
{
    std::uint64_t hash = 14695981039346656037ull;
    for (wchar_t c : name)
        hash = (hash ^ static_cast<std::uint32_t>(FoldChar(c))) * 1099511628211ull;
    return hash ^ (hash >> 32);
}

const CFileListInfo* CFileList::FindHashed(std::uint64_t hash, const std::wstring& name) const
{
    if (slots_.empty())
        return nullptr;
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = hash & mask; slots_[i].position != 0; i = (i + 1) & mask) {
        const CFileListInfo& entry = entries_[slots_[i].position - 1];
        if (slots_[i].hash == hash && EqualIgnoringCase(entry.fileName_, name))
            return &entry;
    }
    return nullptr;
}

void CFileList::IndexEntry(std::uint64_t hash, std::size_t position)
{
    if (2 * (indexed_ + 1) > slots_.size()) {
        std::vector<Slot> previous(std::max<std::size_t>(16, 2 * slots_.size()), Slot{0, 0});
        previous.swap(slots_);
        indexed_ = 0;
        for (const Slot& slot : previous)
            if (slot.position != 0)
                IndexEntry(slot.hash, slot.position - 1);
    }
    const std::size_t mask = slots_.size() - 1;
    std::size_t i = hash & mask;
    while (slots_[i].position != 0)
        i = (i + 1) & mask;
    slots_[i] = Slot{hash, static_cast<std::uint32_t>(position + 1)};
    ++indexed_;
}

void CFileList::Add(CFileListInfo entry)
{
    // Only the first entry of a name is indexed, as a front-to-back search finds it.
    const std::uint64_t hash = HashOfName(entry.fileName_);
    if (!FindHashed(hash, entry.fileName_))
        IndexEntry(hash, entries_.size());
    entries_.push_back(std::move(entry));
}

void CFileList::Clear()
{
    entries_.clear();
    slots_.clear();
    indexed_ = 0;
}

const CFileListInfo* CFileList::Find(const std::wstring& name) const
{
    return FindHashed(HashOfName(name), name);
}

bool EqualIgnoringCase(const std::wstring& left, const std::wstring& right)
{
    return std::equal(left.begin(), left.end(), right.begin(), right.end(),
                      [](wchar_t a, wchar_t b) { return FoldChar(a) == FoldChar(b); });
}

bool ReadFileListEntry(CXmlDocument& document, CFileListInfo& entry)
{
    std::wstring text;
    if (!ReadChildField(document, L"FileName", text))
        return false;
    entry.SetFileName(std::move(text));
    if (!ReadChildField(document, L"Md5", text))
        return false;
    entry.SetMd5(std::move(text));
    if (!ReadChildField(document, L"Size", text))
        return false;
    entry.SetSize(ParseSize(text));
    return true;
}

void ReadFileList(const std::wstring& path, CFileList& list)
{
    LoadFileList(path, list);
}

bool LoadFileList(const std::wstring& path, CFileList& list)
{
    list.Clear();
    return ForEachFileListEntry(path, [&list](CFileListInfo&& entry) {
        list.Add(std::move(entry));
        return true;
    });
}

bool ForEachFileListEntry(const std::wstring& path, const std::function<bool(CFileListInfo&&)>& visit)
{
    CXmlDocument document;
    if (!document.LoadFile(path))
        return false;
    document.FindElement();
    document.EnterElement();
    if (!document.FindElement(L"FileList"))
        return true;
    document.EnterElement();
    while (document.FindElement(L"File")) {
        // An entry lacking a field is kept with that field and the ones after it empty.
        CFileListInfo entry;
        ReadFileListEntry(document, entry);
        if (!visit(std::move(entry)))
            break;
    }
    return true;
}

bool WriteFileList(const CFileList& list, const std::wstring& path)
{
    CXmlDocument document;
    BuildDocument(list, document);

    const std::wstring temporary = TemporaryPathBeside(path);
    // Each list commits a step of a run: it reaches the disk before and after its rename.
    if (document.SaveFile(temporary) && platform::SyncFile(temporary) && platform::RenamePath(temporary, path) &&
        platform::SyncFolderOf(path))
        return true;
    platform::RemoveFile(temporary);
    return false;
}

bool FindFileListEntry(const CFileList& list, const std::wstring& name, CFileListInfo& out)
{
    const CFileListInfo* found = list.Find(name);
    if (!found)
        return false;
    out = *found;
    return true;
}
