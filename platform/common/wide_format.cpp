#include "platform/wide_format.h"

#include <cwchar>
#include <vector>

namespace platform {
namespace {

bool IsFlagOrWidth(wchar_t c)
{
    return c == L'-' || c == L'+' || c == L' ' || c == L'#' || c == L'0' || c == L'.' || c == L'*' ||
           (c >= L'1' && c <= L'9');
}

// Reads the Windows size prefix at format and returns its C equivalent.
std::wstring TakeSizePrefix(const wchar_t*& format)
{
    std::wstring prefix;
    for (;;) {
        if (std::wcsncmp(format, L"I64", 3) == 0) {
            prefix += L"ll";
            format += 3;
        } else if (std::wcsncmp(format, L"I32", 3) == 0) {
            format += 3;
        } else if (*format == L'I') {
            prefix += L'z';
            ++format;
        } else if (*format == L'w') {
            prefix += L'l';
            ++format;
        } else if (*format == L'h' || *format == L'l' || *format == L'L' || *format == L'z' || *format == L'j' ||
                   *format == L't' || *format == L'q') {
            prefix += *format++;
        } else {
            return prefix;
        }
    }
}

// One conversion with its size prefix, the string and character kinds mapped so
// that glibc reads the argument the Windows runtime would have read.
void AppendConversion(std::wstring& out, const std::wstring& prefix, wchar_t conversion)
{
    const bool text = conversion == L's' || conversion == L'c';
    const bool narrowText = conversion == L'S' || conversion == L'C';
    if (text && prefix.empty())
        out += L'l';
    else if (!((text || narrowText) && prefix == L"h"))
        out += prefix;
    if (narrowText)
        out += conversion == L'S' ? L's' : L'c';
    else
        out += conversion;
}

std::wstring TranslateFormat(const wchar_t* format)
{
    std::wstring out;
    while (*format) {
        const wchar_t c = *format++;
        out += c;
        if (c != L'%')
            continue;
        if (*format == L'%') {
            out += *format++;
            continue;
        }
        while (IsFlagOrWidth(*format))
            out += *format++;
        const std::wstring prefix = TakeSizePrefix(format);
        if (*format)
            AppendConversion(out, prefix, *format++);
    }
    return out;
}

}  // namespace

bool FormatWindowsWide(std::wstring& out, std::size_t limit, const wchar_t* format, std::va_list args)
{
    out.clear();
    if (limit == 0)
        return false;
    const std::wstring translated = TranslateFormat(format);
    std::vector<wchar_t> buffer(limit);
    // A cut result is -1 for some runtimes and the length it would have had for others.
    const int written = std::vswprintf(buffer.data(), limit, translated.c_str(), args);
    if (written < 0 || static_cast<std::size_t>(written) >= limit)
        return false;
    out.assign(buffer.data(), static_cast<std::size_t>(written));
    return true;
}

}  // namespace platform
