#include "vexa/xml/CElementIndex.h"
#include "vexa/xml/CXmlTokenizer.h"

namespace {

bool EndsElementName(wchar_t c)
{
    return IsXmlSpace(c) || std::wstring_view(L"<>=\\/?!\"';").find(c) != std::wstring_view::npos;
}

bool EndsSearchName(wchar_t c)
{
    return c == L' ' || c == L'=' || c == L'/' || c == L'[' || c == L']';
}

}  // namespace

void CXmlDocument::ResetPosition()
{
    m_current = 0;
    m_child = 0;
    m_nodeType = 0;
}

CXmlDocument::Position CXmlDocument::GetElementPosition() const
{
    return m_current;
}

CXmlDocument::Position CXmlDocument::GetChildPosition() const
{
    return m_child;
}

std::wstring_view CXmlDocument::NameOf(Position position) const
{
    const Record& record = (*m_index)[position];
    const std::size_t tagEnd = record.start + record.StartTagLength();
    std::size_t at = record.start + 1;
    while (at < tagEnd && IsXmlSpace(m_text[at]))
        ++at;
    std::size_t end = at;
    while (end < tagEnd && !EndsElementName(m_text[end]))
        ++end;
    return std::wstring_view(m_text).substr(at, end - at);
}

bool CXmlDocument::NameMatches(Position position, std::wstring_view name) const
{
    if (name.empty())
        return true;
    const std::wstring_view candidate = NameOf(position);
    if (candidate.size() > name.size())
        return false;
    // Folding stops once a non-ASCII character has matched.
    bool fold = m_flags & XDF_IGNORE_CASE;
    for (std::size_t i = 0; i < candidate.size(); ++i) {
        const wchar_t a = candidate[i];
        const wchar_t b = name[i];
        if (fold ? FoldAscii(a) != FoldAscii(b) : a != b)
            return false;
        if (a >= 128)
            fold = false;
    }
    return candidate.size() == name.size() || EndsSearchName(name[candidate.size()]);
}

CXmlDocument::Position CXmlDocument::FindSibling(Position from, std::wstring_view name) const
{
    for (Position candidate = from; candidate; candidate = (*m_index)[candidate].nextSibling) {
        if (NameMatches(candidate, name))
            return candidate;
    }
    return 0;
}

bool CXmlDocument::FindElement(std::wstring_view name)
{
    if (m_index->Empty())
        return false;
    const Position from = m_current ? (*m_index)[m_current].nextSibling : (*m_index)[m_parent].firstChild;
    const Position found = FindSibling(from, name);
    if (!found)
        return false;
    m_current = found;
    m_parent = (*m_index)[found].parent;
    m_child = 0;
    m_nodeType = 1;
    return true;
}

bool CXmlDocument::FindChildElement(std::wstring_view name)
{
    if (!m_current && !FindElement())
        return false;
    const Position from = m_child ? (*m_index)[m_child].nextSibling : (*m_index)[m_current].firstChild;
    const Position found = FindSibling(from, name);
    if (!found)
        return false;
    m_child = found;
    m_current = (*m_index)[found].parent;
    m_parent = (*m_index)[m_current].parent;
    return true;
}

bool CXmlDocument::EnterElement()
{
    if (!m_current || m_nodeType != 1)
        return false;
    m_parent = m_current;
    m_current = m_child;
    m_child = 0;
    m_nodeType = m_current ? 1 : 0;
    return true;
}

bool CXmlDocument::LeaveElement()
{
    if (!m_parent)
        return false;
    m_child = m_current;
    m_current = m_parent;
    m_parent = (*m_index)[m_current].parent;
    m_nodeType = 1;
    return true;
}
