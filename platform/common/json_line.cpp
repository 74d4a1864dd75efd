#include "platform/json_line.h"

#include "platform/text.h"

#include <cstdio>

namespace platform {

CJsonLine& CJsonLine::Add(std::string_view key, std::wstring_view value)
{
    return Add(key, std::string_view(Utf8FromWide(value)));
}

CJsonLine& CJsonLine::Add(std::string_view key, std::string_view value)
{
    AddKey(key);
    m_fields += JsonQuote(value);
    return *this;
}

CJsonLine& CJsonLine::Add(std::string_view key, long long value)
{
    AddKey(key);
    m_fields += std::to_string(value);
    return *this;
}

std::string CJsonLine::Text() const
{
    return "{" + m_fields + "}";
}

void CJsonLine::AddKey(std::string_view key)
{
    if (!m_fields.empty())
        m_fields += ',';
    m_fields += JsonQuote(key) + ':';
}

std::string JsonQuote(std::string_view value)
{
    std::string quoted = "\"";
    for (char c : value) {
        switch (c) {
        case '"': quoted += "\\\""; break;
        case '\\': quoted += "\\\\"; break;
        case '\n': quoted += "\\n"; break;
        case '\r': quoted += "\\r"; break;
        case '\t': quoted += "\\t"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned char>(c));
                quoted += escaped;
            } else {
                quoted += c;
            }
        }
    }
    return quoted + "\"";
}

}  // namespace platform
