#pragma once
#include "vexa/xml/CElementIndex.h"
#include "vexa/xml/CXmlTokenizer.h"

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// Turns the tokenizer's tags into element records: pairs end tags with open start tags,
// closes what stays open as unended and records every problem in the report.
class CElementBuilder {
public:
    using Position = CXmlDocument::Position;

    CElementBuilder(CXmlDocument::CElementIndex& index, Position& nextFree, std::wstring_view text,
                    std::wstring& report, bool ignoreCase);

    void Build();

private:
    struct OpenElement {
        std::wstring_view name;
        Position position;
    };

    void StartTag(const XmlNode& node);
    void EndTag(const XmlNode& node);
    void MarkError();
    void LimitExceeded(const wchar_t* type, std::size_t offset);
    void Push(std::wstring_view name, Position position);
    void Pop();
    void CloseUnended(std::size_t count, std::size_t offset2);
    bool SameName(std::wstring_view a, std::wstring_view b) const;
    bool MayBeOpen(std::wstring_view name) const;
    std::wstring CountKey(std::wstring_view name) const;

    CXmlDocument::CElementIndex& m_index;
    Position& m_nextFree;
    std::wstring_view m_text;
    std::wstring& m_report;
    bool m_ignoreCase;
    std::vector<OpenElement> m_open;
    // Beyond a modest depth, open names are counted so that an end tag matching nothing
    // is recognised without walking the whole stack each time.
    std::unordered_map<std::wstring, std::size_t> m_openCounts;
    bool m_counting = false;
};
