#include "vexa/xml/FindDeclaredEncoding.h"

#include "vexa/xml/CXmlTokenizer.h"

namespace {

bool IsCharsetSeparator(wchar_t c)
{
    return IsXmlSpace(c) || std::wstring_view(L"<>=\\/?!;\"'").find(c) != std::wstring_view::npos;
}

std::wstring_view NextToken(std::wstring_view text, std::size_t& at)
{
    while (at < text.size() && IsCharsetSeparator(text[at]) && text[at] != L'=')
        ++at;
    const std::size_t start = at;
    if (at < text.size() && text[at] == L'=')
        return text.substr(at++, 1);
    while (at < text.size() && !IsCharsetSeparator(text[at]))
        ++at;
    return text.substr(start, at - start);
}

// "text/html; charset=gb2312" -> "gb2312".
std::wstring CharsetOfContent(std::wstring_view content)
{
    std::size_t at = 0;
    std::wstring_view previous;
    for (std::wstring_view token = NextToken(content, at); !token.empty(); token = NextToken(content, at)) {
        if (token == L"=" && EqualsIgnoringAsciiCase(previous, L"charset"))
            return std::wstring(NextToken(content, at));
        previous = token;
    }
    return {};
}

std::wstring AttributeOf(std::wstring_view tag, std::wstring_view name)
{
    XmlAttribute attribute;
    const bool found = FindXmlAttribute(tag, name, true, attribute);
    return found ? std::wstring(AttributeValue(tag, attribute)) : std::wstring();
}

std::wstring_view NameOf(std::wstring_view text, const XmlNode& node)
{
    return text.substr(node.nameStart, node.nameEnd - node.nameStart);
}

}  // namespace

std::wstring FindDeclaredEncoding(std::wstring_view text)
{
    CXmlTokenizer tokenizer(text);
    bool html = false;
    for (;;) {
        const XmlNode node = tokenizer.Next();
        const std::wstring_view tag = text.substr(node.start, node.end - node.start);
        switch (node.kind) {
        case XNK_SYNTAX_ERROR:
        case XNK_END_OF_TEXT:
            return {};
        case XNK_PROCESSING_INSTRUCTION: {
            const std::wstring_view target = tag.substr(2, 3);
            const wchar_t after = tag.size() > 5 ? tag[5] : L'\0';
            const bool isXml = EqualsIgnoringAsciiCase(target, L"xml") && (IsXmlSpace(after) || after == L'?');
            if (node.start == 0 && isXml)
                return AttributeOf(tag, L"encoding");
            break;
        }
        case XNK_START_TAG:
            if (!html) {
                if (!EqualsIgnoringAsciiCase(NameOf(text, node), L"html"))
                    return {};
                html = true;
            } else if (EqualsIgnoringAsciiCase(NameOf(text, node), L"meta") &&
                       EqualsIgnoringAsciiCase(AttributeOf(tag, L"http-equiv"), L"Content-Type")) {
                return CharsetOfContent(AttributeOf(tag, L"content"));
            }
            break;
        case XNK_END_TAG:
            if (EqualsIgnoringAsciiCase(NameOf(text, node), L"head"))
                return {};
            break;
        default:
            break;
        }
    }
}
