#include "vexa/xml/XmlReport.h"

#include "platform/text.h"
#include "vexa/xml/CXmlDocument.h"

#include <cstring>
#include <utility>
#include <vector>

namespace {

constexpr std::size_t kReportLimit = 999;
constexpr std::size_t kMessageLimit = 100;

using Attribute = std::pair<std::wstring_view, std::wstring>;

std::vector<Attribute> AttributesOf(const wchar_t* value, unsigned kind, long long first, long long second)
{
    std::vector<Attribute> attributes;
    if (value) {
        std::wstring_view name = L"tagname";
        if (kind & XRK_TYPE)
            name = L"type";
        else if (kind & XRK_ENCODING)
            name = L"encoding";
        else if (kind & XRK_MSG)
            name = L"msg";
        attributes.emplace_back(name, CXmlDocument::EscapeText(value, XAO_ESCAPE_QUOTES));
    }
    if (kind & XRK_N)
        attributes.emplace_back(L"n", std::to_wstring(first));
    else if (kind & XRK_COUNT)
        attributes.emplace_back(L"count", std::to_wstring(first));
    else if (kind & XRK_LENGTH)
        attributes.emplace_back(L"length", std::to_wstring(first));
    else if (first != XR_NO_NUMBER)
        attributes.emplace_back(L"offset", std::to_wstring(first));
    if (second != XR_NO_NUMBER)
        attributes.emplace_back(L"offset2", std::to_wstring(second));
    return attributes;
}

// Offset of the first "<entry" element, or npos.
std::size_t FindEntry(const std::wstring& report, std::wstring_view entry)
{
    const std::wstring open = L"<" + std::wstring(entry);
    for (std::size_t at = report.find(open); at != std::wstring::npos; at = report.find(open, at + 1)) {
        const wchar_t after = at + open.size() < report.size() ? report[at + open.size()] : L'\0';
        if (after == L' ' || after == L'/')
            return at;
    }
    return std::wstring::npos;
}

void UpdateEntry(std::wstring& report, std::size_t at, const std::vector<Attribute>& attributes)
{
    for (const auto& [name, value] : attributes) {
        const std::size_t end = report.find(L"/>", at);
        const std::wstring key = L" " + std::wstring(name) + L"=\"";
        const std::size_t found = report.find(key, at);
        if (found != std::wstring::npos && found < end) {
            const std::size_t valueStart = found + key.size();
            const std::size_t valueEnd = report.find(L'"', valueStart);
            report.replace(valueStart, valueEnd - valueStart, value);
        } else {
            report.insert(end, key + value + L"\"");
        }
    }
}

}  // namespace

void AddResult(std::wstring& report, std::wstring_view entry, const wchar_t* value, unsigned kind,
               long long first, long long second)
{
    if (report.size() > kReportLimit)
        return;
    const std::vector<Attribute> attributes = AttributesOf(value, kind, first, second);
    if (kind & XRK_UPDATE) {
        const std::size_t at = FindEntry(report, entry);
        if (at != std::wstring::npos) {
            UpdateEntry(report, at, attributes);
            return;
        }
    }
    report += L'<';
    report += entry;
    for (const auto& [name, text] : attributes) {
        report += L' ';
        report += name;
        report += L"=\"";
        report += text;
        report += L'"';
    }
    report += L"/>";
}

void AddFileError(std::wstring& report, int errorCode)
{
    std::wstring message = platform::WideFromAnsi(std::strerror(errorCode));
    message = message.substr(0, message.find_first_of(L"\r\n")).substr(0, kMessageLimit);
    AddResult(report, L"file_error", message.c_str(), XRK_MSG | XRK_N, errorCode);
}
