#include "vexa/xml/CXmlDocument.h"
#include "vexa/xml/CTextConverter.h"
#include "vexa/xml/CodePages.h"
#include "vexa/xml/FindDeclaredEncoding.h"

struct CXmlDocument::Record {};
class CXmlDocument::CElementIndex {};

CXmlDocument::CXmlDocument() = default;
CXmlDocument::~CXmlDocument() = default;
bool CXmlDocument::SetText(const wchar_t* text) { return SetText(text ? std::wstring_view(text) : std::wstring_view()); }
bool CXmlDocument::SetText(std::wstring_view text) { m_text = text; return false; }
const std::wstring& CXmlDocument::GetText() const { return m_text; }
bool CXmlDocument::LoadFile(const std::wstring&) { return false; }
bool CXmlDocument::SaveFile(const std::wstring&) { return false; }
bool CXmlDocument::IsWellFormed() const { return false; }
const std::wstring& CXmlDocument::GetResultText() const { return m_result; }
std::uint32_t CXmlDocument::GetDocFlags() const { return m_flags; }
void CXmlDocument::SetDocFlags(std::uint32_t flags) { m_flags = flags; }
void CXmlDocument::ResetPosition() {}
bool CXmlDocument::FindElement(std::wstring_view) { return false; }
bool CXmlDocument::FindChildElement(std::wstring_view) { return false; }
bool CXmlDocument::EnterElement() { return false; }
bool CXmlDocument::LeaveElement() { return false; }
std::wstring CXmlDocument::GetChildText() const { return {}; }
std::wstring CXmlDocument::GetElementText() const { return {}; }
CXmlDocument::Position CXmlDocument::GetElementPosition() const { return m_current; }
CXmlDocument::Position CXmlDocument::GetChildPosition() const { return m_child; }
bool CXmlDocument::AddElement(std::wstring_view, std::wstring_view, std::uint32_t) { return false; }
bool CXmlDocument::AddChildElement(std::wstring_view, std::wstring_view, std::uint32_t) { return false; }
bool CXmlDocument::SetAttribute(Position, std::wstring_view, std::wstring_view) { return false; }
std::wstring CXmlDocument::EscapeText(std::wstring_view text, std::uint32_t) { return std::wstring(text); }
std::wstring CXmlDocument::UnescapeText(std::wstring_view text) { return std::wstring(text); }
bool CXmlDocument::ReadDocumentFile(const std::wstring&, std::wstring&, std::wstring&, std::uint32_t&) { return false; }
bool CXmlDocument::WriteDocumentFile(const std::wstring&, const std::wstring&, std::wstring&, std::uint32_t&) { return false; }

CTextConverter::CTextConverter(std::wstring_view sourceEncoding, const void* source, std::size_t sourceLength)
    : m_sourceEncoding(sourceEncoding), m_source(source), m_sourceLength(sourceLength) {}
std::size_t CTextConverter::Convert(void*, std::optional<std::wstring_view>) { return 0; }
void CTextConverter::ConvertInto(int, int) {}
bool CheckUtf8(const char*, std::size_t, bool*) { return false; }
int LookupCodePage(std::wstring_view) { return -1; }
const ByteOrderMark kByteOrderMarks[3] = {};
std::wstring FindDeclaredEncoding(std::wstring_view) { return {}; }
