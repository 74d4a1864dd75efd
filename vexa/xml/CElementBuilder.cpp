#include "vexa/xml/CElementBuilder.h"

#include "vexa/xml/XmlReport.h"

namespace {

constexpr std::size_t kInitialStack = 7;
constexpr std::size_t kCountingDepth = 64;
constexpr std::uint32_t kNoLength = 0;

}  // namespace

CElementBuilder::CElementBuilder(CXmlDocument::CElementIndex& index, Position& nextFree, std::wstring_view text,
                                 std::wstring& report, bool ignoreCase)
    : m_index(index), m_nextFree(nextFree), m_text(text), m_report(report), m_ignoreCase(ignoreCase)
{
    m_open.reserve(kInitialStack);
}

void CElementBuilder::Build()
{
    CXmlTokenizer tokenizer(m_text, &m_report);
    for (;;) {
        const XmlNode node = tokenizer.Next();
        switch (node.kind) {
        case XNK_START_TAG:
            StartTag(node);
            break;
        case XNK_END_TAG:
            EndTag(node);
            break;
        case XNK_SYNTAX_ERROR:
            MarkError();
            break;
        case XNK_END_OF_TEXT:
            CloseUnended(m_open.size(), m_text.size());
            return;
        default:
            break;
        }
    }
}

void CElementBuilder::StartTag(const XmlNode& node)
{
    const std::size_t tagLength = node.end - node.start;
    if (tagLength > kMaxStartTagLength)
        return LimitExceeded(L"start_tag", node.start);
    if (m_open.size() > kMaxLevel)
        return LimitExceeded(L"nesting_level", node.start);

    const Position position = m_index.Take(m_nextFree);
    auto& record = m_index[position];
    record.start = static_cast<std::uint32_t>(node.start);
    record.length = static_cast<std::uint32_t>(tagLength);
    record.SetTagLengths(static_cast<std::uint32_t>(tagLength), kNoLength);
    record.flagsAndLevel = static_cast<std::uint32_t>(m_open.size());
    m_index.Link(m_open.empty() ? 0 : m_open.back().position, 0, position);
    if (!node.empty)
        Push(m_text.substr(node.nameStart, node.nameEnd - node.nameStart), position);
}

void CElementBuilder::EndTag(const XmlNode& node)
{
    const std::wstring_view name = m_text.substr(node.nameStart, node.nameEnd - node.nameStart);
    std::size_t found = m_open.size();
    if (!m_open.empty() && SameName(m_open.back().name, name)) {
        found = m_open.size() - 1;
    } else if (MayBeOpen(name)) {
        for (std::size_t i = m_open.size(); i-- > 0;) {
            if (SameName(m_open[i].name, name)) {
                found = i;
                break;
            }
        }
    }
    if (found == m_open.size()) {
        MarkError();
        AddResult(m_report, L"lone_end_tag", std::wstring(name).c_str(), 0, static_cast<long long>(node.start));
        return;
    }
    const std::size_t endTagLength = node.end - node.start;
    if (endTagLength > kMaxEndTagLength)
        return LimitExceeded(L"end_tag", node.start);

    CloseUnended(m_open.size() - found - 1, node.start + 1);
    auto& record = m_index[m_open.back().position];
    record.length = static_cast<std::uint32_t>(node.end) - record.start;
    record.SetTagLengths(record.StartTagLength(), static_cast<std::uint32_t>(endTagLength));
    Pop();
}

void CElementBuilder::MarkError()
{
    m_index[0].flagsAndLevel |= XRF_NOT_WELL_FORMED;
    if (!m_open.empty())
        m_index[m_open.back().position].flagsAndLevel |= XRF_ERROR_INSIDE;
}

// Markup the record layout cannot hold is left out of the index, and the document is
// reported as not well-formed rather than indexed wrongly.
void CElementBuilder::LimitExceeded(const wchar_t* type, std::size_t offset)
{
    MarkError();
    AddResult(m_report, L"limit_exceeded", type, XRK_TYPE, static_cast<long long>(offset));
}

// Reported innermost first; restructured outermost first, which gives the same
// index but moves every child only once, however deep the unended chain.
void CElementBuilder::CloseUnended(std::size_t count, std::size_t offset2)
{
    if (!count)
        return;
    m_index[0].flagsAndLevel |= XRF_NOT_WELL_FORMED;
    const std::size_t bottom = m_open.size() - count;
    for (std::size_t i = m_open.size(); i-- > bottom;) {
        const std::wstring name(m_open[i].name);
        AddResult(m_report, L"unended_start_tag", name.c_str(), 0, m_index[m_open[i].position].start,
                  static_cast<long long>(offset2));
    }
    for (std::size_t i = bottom; i < m_open.size(); ++i) {
        const Position position = m_open[i].position;
        auto& record = m_index[position];
        record.flagsAndLevel |= XRF_UNENDED;
        record.length = record.StartTagLength();
        record.SetTagLengths(record.StartTagLength(), kNoLength);
        m_index.MoveChildrenBehind(position);
        if (record.flagsAndLevel & XRF_ERROR_INSIDE) {
            record.flagsAndLevel &= ~XRF_ERROR_INSIDE;
            m_index[record.parent].flagsAndLevel |= XRF_ERROR_INSIDE;
        }
    }
    while (m_open.size() > bottom)
        Pop();
}

void CElementBuilder::Push(std::wstring_view name, Position position)
{
    m_open.push_back({name, position});
    if (m_counting) {
        ++m_openCounts[CountKey(name)];
    } else if (m_open.size() > kCountingDepth) {
        m_counting = true;
        for (const OpenElement& open : m_open)
            ++m_openCounts[CountKey(open.name)];
    }
}

void CElementBuilder::Pop()
{
    if (m_counting)
        --m_openCounts[CountKey(m_open.back().name)];
    m_open.pop_back();
}

bool CElementBuilder::SameName(std::wstring_view a, std::wstring_view b) const
{
    return m_ignoreCase ? EqualsIgnoringAsciiCase(a, b) : a == b;
}

bool CElementBuilder::MayBeOpen(std::wstring_view name) const
{
    if (!m_counting)
        return true;
    const auto found = m_openCounts.find(CountKey(name));
    return found != m_openCounts.end() && found->second > 0;
}

std::wstring CElementBuilder::CountKey(std::wstring_view name) const
{
    std::wstring key(name);
    if (m_ignoreCase) {
        for (wchar_t& c : key)
            c = FoldAscii(c);
    }
    return key;
}
