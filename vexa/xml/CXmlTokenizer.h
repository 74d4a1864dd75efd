#pragma once
#include "vexa/xml/AsciiCase.h"

#include <cstddef>
#include <string>
#include <string_view>

// Node kinds, also the vocabulary of element text reading.
enum XmlNodeKind : int {
    XNK_END_TAG = 0,
    XNK_START_TAG = 1,
    XNK_TEXT = 2,
    XNK_WHITESPACE = 4,
    XNK_CDATA = 8,
    XNK_PROCESSING_INSTRUCTION = 16,
    XNK_COMMENT = 32,
    XNK_DOCTYPE = 64,
    XNK_SYNTAX_ERROR = -1,
    XNK_END_OF_TEXT = -2,
};

struct XmlNode {
    int kind = XNK_END_OF_TEXT;
    std::size_t start = 0;      // offset of the node's first character
    std::size_t end = 0;        // offset just past it
    std::size_t nameStart = 0;  // tags: the name used to pair start and end tags
    std::size_t nameEnd = 0;
    bool empty = false;         // start tags ending in "/>"
};

// Splits a text into nodes one at a time. Syntax errors and an end inside markup are
// written to the report when one is given.
class CXmlTokenizer {
public:
    explicit CXmlTokenizer(std::wstring_view text, std::wstring* report = nullptr);

    XmlNode Next();

private:
    XmlNode Text();
    XmlNode Markup();
    XmlNode Tag(XmlNode node, bool startTag);
    XmlNode Delimited(XmlNode node, std::wstring_view terminator, std::size_t searchFrom, const wchar_t* type);
    XmlNode Doctype(XmlNode node);
    XmlNode SyntaxError(XmlNode node, const wchar_t* entry, std::size_t reportedAt);
    XmlNode Unterminated(XmlNode node, const wchar_t* type);

    std::wstring_view m_text;
    std::wstring* m_report;
    std::size_t m_offset = 0;
};

bool IsXmlSpace(wchar_t c);

// An attribute found in a start tag or processing instruction (offsets into the tag).
struct XmlAttribute {
    std::size_t nameStart = 0;
    std::size_t valueStart = 0;  // quoted values: the opening quote
    std::size_t valueEnd = 0;    // quoted values: past the closing quote
    bool quoted = false;
    bool assigned = false;       // has "=" (a value, possibly empty)
};

// Finds the attribute called name in the tag text (from its "<" through its ">").
// lastAttributeEnd receives the end of the tag's last attribute, or of its name.
bool FindXmlAttribute(std::wstring_view tag, std::wstring_view name, bool ignoreCase, XmlAttribute& found,
                      std::size_t* lastAttributeEnd = nullptr);
std::wstring_view AttributeValue(std::wstring_view tag, const XmlAttribute& attribute);
