#include "vexa/xml/CElementIndex.h"
#include "vexa/xml/CXmlTokenizer.h"

#include <limits>

namespace {

constexpr std::wstring_view kLineBreak = L"\r\n";
constexpr std::wstring_view kCdataOpen = L"<![CDATA[";
constexpr std::wstring_view kCdataClose = L"]]>";

struct NewElement {
    std::wstring text;
    std::uint32_t startTagLength;
    std::uint32_t endTagLength;
    std::uint32_t length;  // without the line break
};

// "]]>" cannot stand inside one section: it is split across two.
std::wstring CdataOf(std::wstring_view value)
{
    std::wstring text(kCdataOpen);
    for (std::size_t at = 0;;) {
        const std::size_t close = value.find(kCdataClose, at);
        if (close == std::wstring_view::npos) {
            text += value.substr(at);
            break;
        }
        text += value.substr(at, close - at);
        text += L"]]]]><![CDATA[>";
        at = close + kCdataClose.size();
    }
    return text += kCdataClose;
}

NewElement BuildElement(std::wstring_view name, std::wstring_view value, std::uint32_t options)
{
    NewElement element;
    const std::wstring tagName(name);
    if (value.empty()) {
        element.text = L"<" + tagName + (options & XAO_SPACE_BEFORE_SLASH ? L" />" : L"/>");
        element.startTagLength = static_cast<std::uint32_t>(element.text.size());
        element.endTagLength = 0;
    } else {
        const std::wstring content =
            options & XAO_CDATA ? CdataOf(value) : CXmlDocument::EscapeText(value, options);
        element.text = L"<" + tagName + L">" + content + L"</" + tagName + L">";
        element.startTagLength = static_cast<std::uint32_t>(name.size() + 2);
        element.endTagLength = static_cast<std::uint32_t>(name.size() + 3);
    }
    element.length = static_cast<std::uint32_t>(element.text.size());
    if (!(options & XAO_NO_LINE_BREAK))
        element.text += kLineBreak;
    return element;
}

}  // namespace

bool CXmlDocument::AddElement(std::wstring_view name, std::wstring_view value, std::uint32_t options)
{
    if (options & XAO_AS_CHILD)
        return AddChildElement(name, value, options);
    const Position added = Add(m_parent, m_current, name, value, options);
    if (!added)
        return false;
    m_current = added;
    m_child = 0;
    m_nodeType = 1;
    return true;
}

bool CXmlDocument::AddChildElement(std::wstring_view name, std::wstring_view value, std::uint32_t options)
{
    if (!m_current)
        return false;
    const Position added = Add(m_current, m_child, name, value, options);
    if (!added)
        return false;
    m_child = added;
    return true;
}

CXmlDocument::Position CXmlDocument::Add(Position parent, Position after, std::wstring_view name,
                                         std::wstring_view value, std::uint32_t options)
{
    const std::uint32_t level = parent ? (*m_index)[parent].Level() + 1 : 0;
    if (name.empty() || name.size() + 3 > kMaxEndTagLength || level > kMaxLevel)
        return 0;
    NewElement element = BuildElement(name, value, options);
    if (element.startTagLength > kMaxStartTagLength ||
        m_text.size() + element.text.size() + name.size() + 4 > std::numeric_limits<std::uint32_t>::max())
        return 0;

    const Position position = m_index->Take(m_nextFree);
    Record& record = (*m_index)[position];
    const Record& parentRecord = (*m_index)[parent];
    record.length = element.length;
    record.SetTagLengths(element.startTagLength, element.endTagLength);
    record.flagsAndLevel = level;
    m_index->Link(parent, after, position);

    const std::wstring_view lineBreak = options & XAO_NO_LINE_BREAK ? L"" : kLineBreak;
    const std::uint32_t tagEnd = parentRecord.start + parentRecord.StartTagLength();
    const bool parentIsEmptyTag = parent && parentRecord.length == parentRecord.StartTagLength();
    if (parentIsEmptyTag) {
        // "<P/>" becomes "<P>" + new + "</P>"; an unended "<P>" gains the end tag too.
        const bool unended = parentRecord.flagsAndLevel & XRF_UNENDED;
        const std::wstring parentName(NameOf(parent));
        const std::size_t at = tagEnd - (unended ? 1 : 2);
        const std::wstring inserted = L">" + std::wstring(lineBreak) + element.text + L"</" + parentName;
        record.start = static_cast<std::uint32_t>(at + 1 + lineBreak.size());
        Splice(at, unended ? 0 : 1, inserted, position);
        Record& grown = (*m_index)[parent];
        grown.SetTagLengths(grown.StartTagLength() - (unended ? 0 : 1),
                            static_cast<std::uint32_t>(parentName.size() + 3));
        grown.flagsAndLevel &= ~XRF_UNENDED;
        return position;
    }
    if (parent && parentRecord.length == parentRecord.StartTagLength() + parentRecord.EndTagLength()) {
        record.start = static_cast<std::uint32_t>(tagEnd + lineBreak.size());
        Splice(tagEnd, 0, std::wstring(lineBreak) + element.text, position);
        return position;
    }
    const std::size_t end = after ? (*m_index)[after].End()
                            : parent ? parentRecord.End() - parentRecord.EndTagLength()
                                     : m_text.size();
    std::size_t at = end;
    while (at < m_text.size() && IsXmlSpace(m_text[at]))
        ++at;
    if (at < m_text.size() && m_text[at] != L'<')
        at = end;
    record.start = static_cast<std::uint32_t>(at);
    Splice(at, 0, element.text, position);
    return position;
}

bool CXmlDocument::SetAttribute(Position position, std::wstring_view name, std::wstring_view value)
{
    if (!position || position >= m_nextFree || name.empty())
        return false;
    Record& record = (*m_index)[position];
    const std::wstring_view tag = std::wstring_view(m_text).substr(record.start, record.StartTagLength());
    const std::wstring quoted = L"\"" + EscapeText(value, XAO_ESCAPE_QUOTES) + L"\"";
    XmlAttribute attribute;
    std::size_t lastEnd = 0;
    std::size_t at = 0;
    std::size_t erased = 0;
    std::wstring inserted;
    if (FindXmlAttribute(tag, name, false, attribute, &lastEnd)) {
        at = attribute.valueStart;
        erased = attribute.valueEnd - attribute.valueStart;
        inserted = attribute.assigned ? quoted : L"=" + quoted;
    } else {
        at = lastEnd;
        inserted = L" " + std::wstring(name) + L"=" + quoted;
    }
    const std::size_t tagLength = record.StartTagLength() - erased + inserted.size();
    if (tagLength > kMaxStartTagLength)
        return false;
    const auto delta = static_cast<std::uint32_t>(inserted.size() - erased);
    for (Position child = record.firstChild; child; child = (*m_index)[child].nextSibling)
        ShiftSubtree(child, delta);
    record.length += delta;
    record.SetTagLengths(static_cast<std::uint32_t>(tagLength), record.EndTagLength());
    Splice(record.start + at, erased, inserted, position);
    return true;
}

// Replaces erased characters at offset with inserted, then moves every record behind
// the anchor (its following siblings, those of its ancestors, and all below them) and
// grows the anchor's ancestors.
void CXmlDocument::Splice(std::size_t offset, std::size_t erased, std::wstring_view inserted, Position anchor)
{
    m_text.replace(offset, erased, inserted);
    const auto delta = static_cast<std::uint32_t>(inserted.size() - erased);
    for (Position node = anchor; node;) {
        for (Position sibling = (*m_index)[node].nextSibling; sibling; sibling = (*m_index)[sibling].nextSibling)
            ShiftSubtree(sibling, delta);
        node = (*m_index)[node].parent;
        (*m_index)[node].length += delta;
    }
}

void CXmlDocument::ShiftSubtree(Position top, std::uint32_t delta)
{
    (*m_index)[top].start += delta;
    Position node = (*m_index)[top].firstChild;
    while (node) {
        Record& record = (*m_index)[node];
        record.start += delta;
        if (record.firstChild) {
            node = record.firstChild;
            continue;
        }
        while (node != top && !(*m_index)[node].nextSibling)
            node = (*m_index)[node].parent;
        node = node == top ? 0 : (*m_index)[node].nextSibling;
    }
}
