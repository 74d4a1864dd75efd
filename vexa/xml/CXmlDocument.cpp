#include "vexa/xml/CXmlDocument.h"

#include "vexa/xml/CElementBuilder.h"
#include "vexa/xml/CElementIndex.h"
#include "vexa/xml/XmlReport.h"

#include <cstring>
#include <limits>

namespace {

constexpr std::size_t kCharactersPerRecord = 64;
constexpr std::size_t kSpareRecords = 8;
constexpr std::uint32_t kReservedFlags = 0x10 | 0x20 | 0x40;

}  // namespace

CXmlDocument::CXmlDocument() : m_index(std::make_unique<CElementIndex>())
{
    SetText(nullptr);
}

CXmlDocument::~CXmlDocument() = default;

bool CXmlDocument::SetText(const wchar_t* text)
{
    if (!text) {
        m_text.clear();
        m_index->Free();
    } else {
        m_text = text;
    }
    m_result.clear();
    Index();
    return IsWellFormed();
}

bool CXmlDocument::SetText(std::wstring_view text)
{
    m_text = text;
    m_result.clear();
    Index();
    return IsWellFormed();
}

const std::wstring& CXmlDocument::GetText() const
{
    return m_text;
}

void CXmlDocument::Reserve(std::size_t characters)
{
    m_text.reserve(m_text.size() + characters);
}

bool CXmlDocument::LoadFile(const std::wstring& path)
{
    // A failed read has emptied the text: the index must not keep pointing into it.
    const bool read = ReadDocumentFile(path, m_text, m_result, m_flags);
    Index();
    return read && IsWellFormed();
}

bool CXmlDocument::SaveFile(const std::wstring& path)
{
    return WriteDocumentFile(path, m_text, m_result, m_flags);
}

bool CXmlDocument::IsWellFormed() const
{
    if (m_index->Empty())
        return false;
    const Record& root = (*m_index)[0];
    return !(root.flagsAndLevel & XRF_NOT_WELL_FORMED) && root.firstChild &&
           !(*m_index)[root.firstChild].nextSibling;
}

const std::wstring& CXmlDocument::GetResultText() const
{
    return m_result;
}

std::uint32_t CXmlDocument::GetDocFlags() const
{
    return m_flags;
}

void CXmlDocument::SetDocFlags(std::uint32_t flags)
{
    m_flags = flags & ~kReservedFlags;
}

void CXmlDocument::Index()
{
    m_index->Free();
    m_index->Grow(m_text.size() / kCharactersPerRecord + kSpareRecords);
    m_nextFree = 1;
    std::memset(&(*m_index)[0], 0, sizeof(Record));
    if (!m_text.empty()) {
        // Offsets are 32-bit: a longer text cannot be indexed faithfully.
        if (m_text.size() > std::numeric_limits<std::uint32_t>::max()) {
            (*m_index)[0].flagsAndLevel |= XRF_NOT_WELL_FORMED;
            AddResult(m_result, L"limit_exceeded", L"document", XRK_TYPE, 0);
        } else {
            CElementBuilder(*m_index, m_nextFree, m_text, m_result, m_flags & XDF_IGNORE_CASE).Build();
            (*m_index)[0].length = static_cast<std::uint32_t>(m_text.size());
        }
        const Position first = (*m_index)[0].firstChild;
        if (!first)
            AddResult(m_result, L"no_root_element", nullptr, 0);
        else if ((*m_index)[first].nextSibling)
            AddResult(m_result, L"root_has_sibling", nullptr, 0);
    }
    m_parent = 0;
    ResetPosition();
}
