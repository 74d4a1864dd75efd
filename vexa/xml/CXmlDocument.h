#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Document flags.
constexpr std::uint32_t XDF_UTF16LE_FILE = 0x1;
constexpr std::uint32_t XDF_UTF8_BOM = 0x4;
constexpr std::uint32_t XDF_IGNORE_CASE = 0x8;
constexpr std::uint32_t XDF_UTF16BE_FILE = 0x80;

// Options of the add operations and of EscapeText.
constexpr std::uint32_t XAO_CDATA = 0x1;
constexpr std::uint32_t XAO_NO_LINE_BREAK = 0x2;
constexpr std::uint32_t XAO_SPACE_BEFORE_SLASH = 0x4;
constexpr std::uint32_t XAO_ESCAPE_QUOTES = 0x100;
constexpr std::uint32_t XAO_AS_CHILD = 0x4000;

// One XML text held as a single wide string, with an index of element records that
// point into it by offsets. A cursor of three positions (parent, current element,
// current child) walks the index; adds splice into the string and shift the offsets.
class CXmlDocument {
public:
    // High 16 bits: segment, low 16 bits: record in it. 0 is the document itself.
    using Position = std::uint32_t;

    CXmlDocument();
    ~CXmlDocument();
    CXmlDocument(const CXmlDocument&) = delete;
    CXmlDocument& operator=(const CXmlDocument&) = delete;

    // Replaces the document with text (nullptr: empty) and indexes it.
    bool SetText(const wchar_t* text);
    bool SetText(std::wstring_view text);
    const std::wstring& GetText() const;
    // Makes room for the text to grow by about this many characters, so that
    // building a large document neither copies it nor touches fresh memory at
    // every doubling.
    void Reserve(std::size_t characters);
    bool LoadFile(const std::wstring& path);
    bool SaveFile(const std::wstring& path);
    bool IsWellFormed() const;
    const std::wstring& GetResultText() const;

    std::uint32_t GetDocFlags() const;
    void SetDocFlags(std::uint32_t flags);

    void ResetPosition();
    // An empty name matches any element.
    bool FindElement(std::wstring_view name = {});
    bool FindChildElement(std::wstring_view name = {});
    bool EnterElement();
    bool LeaveElement();
    std::wstring GetChildText() const;
    std::wstring GetElementText() const;
    Position GetElementPosition() const;
    Position GetChildPosition() const;

    bool AddElement(std::wstring_view name, std::wstring_view value = {}, std::uint32_t options = 0);
    bool AddChildElement(std::wstring_view name, std::wstring_view value = {}, std::uint32_t options = 0);
    bool SetAttribute(Position position, std::wstring_view name, std::wstring_view value);

    static std::wstring EscapeText(std::wstring_view text, std::uint32_t options);
    static std::wstring UnescapeText(std::wstring_view text);
    static bool ReadDocumentFile(const std::wstring& path, std::wstring& text, std::wstring& result,
                                 std::uint32_t& flags);
    static bool WriteDocumentFile(const std::wstring& path, const std::wstring& text, std::wstring& result,
                                  std::uint32_t& flags);

    // The element index (CElementIndex.h), named here for the code that builds it.
    struct Record;
    class CElementIndex;

private:
    void Index();
    std::wstring TextOf(Position position) const;
    std::wstring_view NameOf(Position position) const;
    bool NameMatches(Position position, std::wstring_view name) const;
    Position FindSibling(Position from, std::wstring_view name) const;
    Position Add(Position parent, Position after, std::wstring_view name, std::wstring_view value,
                 std::uint32_t options);
    void Splice(std::size_t offset, std::size_t erased, std::wstring_view inserted, Position anchor);
    void ShiftSubtree(Position top, std::uint32_t delta);

    std::wstring m_text;
    std::wstring m_result;
    Position m_parent = 0;
    Position m_current = 0;
    Position m_child = 0;
    Position m_nextFree = 0;
    std::uint32_t m_nodeType = 0;
    std::uint32_t m_flags = 0;
    std::unique_ptr<CElementIndex> m_index;
};
