#include "vexa/xml/CElementIndex.h"
#include "vexa/xml/CXmlTokenizer.h"

#include <algorithm>

namespace {

constexpr std::size_t kCdataOpen = 9;  // "<![CDATA["
constexpr std::size_t kCdataClose = 3; // "]]>"

// Text nodes unescaped, CDATA sections as they stand; comments, processing
// instructions and whitespace-only runs dropped.
std::wstring MixedContentText(std::wstring_view content)
{
    std::wstring text;
    CXmlTokenizer tokenizer(content);
    for (XmlNode node = tokenizer.Next(); node.kind != XNK_END_OF_TEXT; node = tokenizer.Next()) {
        if (node.kind == XNK_TEXT) {
            text += CXmlDocument::UnescapeText(content.substr(node.start, node.end - node.start));
        } else if (node.kind == XNK_CDATA) {
            const std::size_t inner = std::min(node.start + kCdataOpen, node.end - kCdataClose);
            text += content.substr(inner, node.end - kCdataClose - inner);
        }
    }
    return text;
}

}  // namespace

std::wstring CXmlDocument::GetChildText() const
{
    return TextOf(m_child);
}

std::wstring CXmlDocument::GetElementText() const
{
    return TextOf(m_current);
}

std::wstring CXmlDocument::TextOf(Position position) const
{
    if (!position)
        return {};
    const Record& record = (*m_index)[position];
    if (record.length == record.StartTagLength() || record.firstChild)
        return {};
    const std::size_t contentStart = record.start + record.StartTagLength();
    const std::size_t contentEnd = record.End() - record.EndTagLength();
    const std::wstring_view content = std::wstring_view(m_text).substr(contentStart, contentEnd - contentStart);
    if (content.find(L'<') == std::wstring_view::npos)
        return UnescapeText(content);
    return MixedContentText(content);
}
