#include "vexa/delta/DeltaManifest.h"

#include "vexa/install/CleanFileName.h"
#include "vexa/install/FileList.h"
#include "vexa/xml/CXmlDocument.h"
#include "vexa/xml/XmlFields.h"

#include <cwchar>

namespace {

bool ReadEntry(CXmlDocument& document, CDeltaEntry& entry)
{
    std::wstring size;
    if (!ReadChildField(document, L"FileName", entry.fileName) ||
        !ReadChildField(document, L"SourceMd5", entry.sourceMd5) ||
        !ReadChildField(document, L"PatchName", entry.patchName) || !ReadChildField(document, L"Size", size) ||
        !ReadChildField(document, L"Md5", entry.md5))
        return false;
    entry.size = std::wcstoll(size.c_str(), nullptr, 10);
    return entry.size >= 0 && IsCleanFileName(entry.fileName) && IsCleanFileName(entry.patchName) &&
           entry.patchName.starts_with(kDeltaFolder);
}

}  // namespace

bool ReadDeltaManifest(const std::wstring& path, CDeltaManifest& manifest)
{
    manifest.clear();
    CXmlDocument document;
    if (!document.LoadFile(path))
        return false;
    document.FindElement();
    document.EnterElement();
    if (!document.FindElement(L"DeltaList"))
        return true;
    document.EnterElement();
    while (document.FindElement(L"Delta")) {
        CDeltaEntry entry;
        if (ReadEntry(document, entry))
            manifest.push_back(std::move(entry));
    }
    return true;
}

bool WriteDeltaManifest(const CDeltaManifest& manifest, const std::wstring& path)
{
    CXmlDocument document;
    document.SetText(kUtf8Declaration);
    document.AddElement(L"Root");
    document.AddChildElement(L"DeltaList");
    document.EnterElement();
    for (const CDeltaEntry& entry : manifest) {
        document.AddChildElement(L"Delta");
        document.EnterElement();
        document.AddChildElement(L"FileName", entry.fileName);
        document.AddChildElement(L"SourceMd5", entry.sourceMd5);
        document.AddChildElement(L"PatchName", entry.patchName);
        document.AddChildElement(L"Size", std::to_wstring(entry.size));
        document.AddChildElement(L"Md5", entry.md5);
        document.LeaveElement();
    }
    return document.SaveFile(path);
}

const CDeltaEntry* FindDelta(const CDeltaManifest& manifest, const std::wstring& fileName,
                             const std::wstring& sourceMd5)
{
    const CDeltaEntry* fullCopy = nullptr;
    for (const CDeltaEntry& entry : manifest) {
        if (!EqualIgnoringCase(entry.fileName, fileName))
            continue;
        if (!entry.sourceMd5.empty() && EqualIgnoringCase(entry.sourceMd5, sourceMd5))
            return &entry;
        if (entry.sourceMd5.empty() && !fullCopy)
            fullCopy = &entry;
    }
    return fullCopy;
}
