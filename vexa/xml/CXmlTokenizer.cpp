#include "vexa/xml/CXmlTokenizer.h"

#include "vexa/xml/XmlReport.h"

namespace {

constexpr auto npos = std::wstring_view::npos;

bool StartsStartTag(wchar_t c)
{
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || c == L'_' || c == L':' || c > L'z';
}

bool EndsPairingName(wchar_t c)
{
    return IsXmlSpace(c) || c == L'/' || c == L'>';
}

bool IsQuote(wchar_t c)
{
    return c == L'"' || c == L'\'';
}

}  // namespace

bool IsXmlSpace(wchar_t c)
{
    return c == L' ' || c == L'\t' || c == L'\n' || c == L'\r';
}

CXmlTokenizer::CXmlTokenizer(std::wstring_view text, std::wstring* report) : m_text(text), m_report(report)
{
}

XmlNode CXmlTokenizer::Next()
{
    if (m_offset >= m_text.size()) {
        XmlNode node;
        node.start = node.end = m_text.size();
        return node;
    }
    const XmlNode node = m_text[m_offset] == L'<' ? Markup() : Text();
    m_offset = node.end;
    return node;
}

XmlNode CXmlTokenizer::Text()
{
    XmlNode node;
    node.start = m_offset;
    const std::size_t next = m_text.find(L'<', m_offset);
    node.end = next == npos ? m_text.size() : next;
    node.kind = XNK_WHITESPACE;
    for (std::size_t i = node.start; i < node.end; ++i) {
        if (!IsXmlSpace(m_text[i])) {
            node.kind = XNK_TEXT;
            break;
        }
    }
    return node;
}

XmlNode CXmlTokenizer::Markup()
{
    XmlNode node;
    node.start = m_offset;
    const std::size_t at = m_offset;
    if (at + 1 >= m_text.size())
        return Unterminated(node, L"tag");
    const wchar_t first = m_text[at + 1];
    if (StartsStartTag(first))
        return Tag(node, true);
    if (first == L'/')
        return Tag(node, false);
    if (first == L'?') {
        node.kind = XNK_PROCESSING_INSTRUCTION;
        return Delimited(node, L"?>", at + 2, L"processing_instruction");
    }
    if (first != L'!')
        return SyntaxError(node, L"first_tag_syntax", at);
    if (at + 2 >= m_text.size())
        return Unterminated(node, L"tag");
    const wchar_t second = m_text[at + 2];
    if (second == L'D')
        return Doctype(node);
    if (second != L'-' && second != L'[')
        return SyntaxError(node, L"exclamation_tag_syntax", at);
    if (at + 3 >= m_text.size())
        return Unterminated(node, L"tag");
    const wchar_t third = m_text[at + 3];
    if (second == L'-') {
        if (third != L'-')
            return SyntaxError(node, L"comment_tag_syntax", at);
        node.kind = XNK_COMMENT;
        return Delimited(node, L"-->", at + 4, L"comment");
    }
    if (third != L'C')
        return SyntaxError(node, L"cdata_section_syntax", at);
    node.kind = XNK_CDATA;
    return Delimited(node, L"]]>", at + 3, L"cdata_section");
}

XmlNode CXmlTokenizer::Tag(XmlNode node, bool startTag)
{
    node.kind = startTag ? XNK_START_TAG : XNK_END_TAG;
    node.nameStart = node.start + (startTag ? 1 : 2);
    node.nameEnd = node.nameStart;
    while (node.nameEnd < m_text.size() && !EndsPairingName(m_text[node.nameEnd]))
        ++node.nameEnd;

    // A quote opens a value only right after "=" (whitespace allowed); a "/" inside an
    // unquoted value belongs to it and does not make the element empty.
    bool afterEquals = false;
    std::size_t closingQuote = npos;
    for (std::size_t i = node.nameEnd; i < m_text.size(); ++i) {
        const wchar_t c = m_text[i];
        if (c == L'>') {
            node.end = i + 1;
            const std::size_t slash = i - 1;
            node.empty = startTag && m_text[slash] == L'/' &&
                         (slash == node.nameEnd || IsXmlSpace(m_text[slash - 1]) || slash - 1 == closingQuote);
            return node;
        }
        if (!startTag || IsXmlSpace(c))
            continue;
        if (c == L'=') {
            afterEquals = true;
        } else if (afterEquals && IsQuote(c)) {
            closingQuote = m_text.find(c, i + 1);
            if (closingQuote == npos)
                break;
            i = closingQuote;
            afterEquals = false;
        } else {
            afterEquals = false;
        }
    }
    return Unterminated(node, startTag ? L"start_tag" : L"end_tag");
}

XmlNode CXmlTokenizer::Delimited(XmlNode node, std::wstring_view terminator, std::size_t searchFrom,
                                 const wchar_t* type)
{
    const std::size_t found = m_text.find(terminator, searchFrom);
    if (found == npos)
        return Unterminated(node, type);
    node.end = found + terminator.size();
    return node;
}

XmlNode CXmlTokenizer::Doctype(XmlNode node)
{
    node.kind = XNK_DOCTYPE;
    std::size_t i = node.start + 3;
    while (i < m_text.size()) {
        const wchar_t c = m_text[i];
        if (c == L'>') {
            node.end = i + 1;
            return node;
        }
        if (c != L'<' || i + 2 >= m_text.size() || (m_text[i + 1] != L'!' && m_text[i + 1] != L'?')) {
            ++i;
            continue;
        }
        std::size_t end = npos;
        const wchar_t kind = m_text[i + 1] == L'?' ? L'?' : m_text[i + 2];
        if (kind == L'?') {
            end = m_text.find(L"?>", i + 2);
            end = end == npos ? npos : end + 2;
        } else if (kind == L'-' && i + 3 < m_text.size() && m_text[i + 3] == L'-') {
            end = m_text.find(L"-->", i + 4);
            end = end == npos ? npos : end + 3;
        } else if (kind == L'E' || kind == L'A' || kind == L'N') {
            wchar_t quote = 0;
            for (std::size_t j = i + 3; j < m_text.size() && end == npos; ++j) {
                if (quote)
                    quote = m_text[j] == quote ? 0 : quote;
                else if (IsQuote(m_text[j]))
                    quote = m_text[j];
                else if (m_text[j] == L'>')
                    end = j + 1;
            }
        } else {
            return SyntaxError(node, L"doctype_tag_syntax", i);
        }
        if (end == npos)
            break;
        i = end;
    }
    return Unterminated(node, L"document_type");
}

XmlNode CXmlTokenizer::SyntaxError(XmlNode node, const wchar_t* entry, std::size_t reportedAt)
{
    if (m_report)
        AddResult(*m_report, entry, nullptr, 0, static_cast<long long>(reportedAt));
    const std::size_t close = m_text.find(L'>', reportedAt);
    node.kind = XNK_SYNTAX_ERROR;
    node.end = close == npos ? m_text.size() : close + 1;
    return node;
}

XmlNode CXmlTokenizer::Unterminated(XmlNode node, const wchar_t* type)
{
    if (m_report)
        AddResult(*m_report, L"unterminated_tag_syntax", type, XRK_TYPE, static_cast<long long>(node.start));
    node.kind = XNK_SYNTAX_ERROR;
    node.end = m_text.size();
    return node;
}

bool FindXmlAttribute(std::wstring_view tag, std::wstring_view name, bool ignoreCase, XmlAttribute& found,
                      std::size_t* lastAttributeEnd)
{
    const auto endsName = [](wchar_t c) {
        return IsXmlSpace(c) || c == L'=' || c == L'>' || c == L'/' || c == L'?';
    };
    std::size_t i = tag.size() > 1 && tag[1] == L'?' ? 2 : 1;
    while (i < tag.size() && !endsName(tag[i]))
        ++i;
    if (lastAttributeEnd)
        *lastAttributeEnd = i;

    bool matched = false;
    while (i < tag.size() && tag[i] != L'>') {
        if (IsXmlSpace(tag[i]) || tag[i] == L'/' || tag[i] == L'?' || tag[i] == L'=') {
            ++i;
            continue;
        }
        XmlAttribute attribute;
        attribute.nameStart = i;
        while (i < tag.size() && !endsName(tag[i]))
            ++i;
        const std::wstring_view attributeName = tag.substr(attribute.nameStart, i - attribute.nameStart);
        attribute.valueStart = attribute.valueEnd = i;
        std::size_t j = i;
        while (j < tag.size() && IsXmlSpace(tag[j]))
            ++j;
        if (j < tag.size() && tag[j] == L'=') {
            attribute.assigned = true;
            ++j;
            while (j < tag.size() && IsXmlSpace(tag[j]))
                ++j;
            attribute.valueStart = j;
            if (j < tag.size() && IsQuote(tag[j])) {
                const std::size_t close = tag.find(tag[j], j + 1);
                attribute.quoted = close != npos;
                j = close == npos ? tag.size() : close + 1;
            } else {
                while (j < tag.size() && !IsXmlSpace(tag[j]) && tag[j] != L'>')
                    ++j;
            }
            attribute.valueEnd = i = j;
        }
        if (lastAttributeEnd)
            *lastAttributeEnd = attribute.valueEnd;
        if (!matched && (ignoreCase ? EqualsIgnoringAsciiCase(attributeName, name) : attributeName == name)) {
            found = attribute;
            matched = true;
            if (!lastAttributeEnd)
                return true;
        }
    }
    return matched;
}

std::wstring_view AttributeValue(std::wstring_view tag, const XmlAttribute& attribute)
{
    if (attribute.quoted)
        return tag.substr(attribute.valueStart + 1, attribute.valueEnd - attribute.valueStart - 2);
    return tag.substr(attribute.valueStart, attribute.valueEnd - attribute.valueStart);
}
