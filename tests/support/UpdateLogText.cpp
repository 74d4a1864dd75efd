#include "tests/support/UpdateLogText.h"

#include "tests/support/ClientTree.h"

#include <gtest/gtest.h>

namespace testing_support {

std::wstring DecodeUtf16Le(const std::string& bytes, std::size_t offset)
{
    std::wstring text;
    for (std::size_t i = offset; i + 1 < bytes.size(); i += 2) {
        const unsigned unit = static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8;
        // A 16-bit wchar_t (Windows) holds the pair as it is.
        if (sizeof(wchar_t) == 4 && unit >= 0xDC00 && unit < 0xE000 && !text.empty() && text.back() >= 0xD800 &&
            text.back() < 0xDC00)
            text.back() = static_cast<wchar_t>(0x10000 + ((text.back() - 0xD800) << 10) + (unit - 0xDC00));
        else
            text += static_cast<wchar_t>(unit);
    }
    return text;
}

std::vector<std::wstring> SplitLogMessages(const std::wstring& text)
{
    std::vector<std::wstring> messages;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find(L"\r\n", start);
        EXPECT_NE(end, std::wstring::npos) << "line without CR LF";
        if (end == std::wstring::npos)
            break;
        const std::wstring line = text.substr(start, end - start);
        const std::size_t colon = line.find(L": ");
        EXPECT_TRUE(colon != std::wstring::npos && colon > 0) << "line without timestamp";
        messages.push_back(colon == std::wstring::npos ? line : line.substr(colon + 2));
        start = end + 2;
    }
    return messages;
}

std::vector<std::wstring> LogMessages(const std::filesystem::path& logFile)
{
    return SplitLogMessages(DecodeUtf16Le(ReadFileBytes(logFile), 2));
}

}  // namespace testing_support
