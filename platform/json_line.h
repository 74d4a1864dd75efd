#pragma once
#include <string>
#include <string_view>

namespace platform {

// Builds one flat JSON object, field by field, as UTF-8 text without a line end.
class CJsonLine {
public:
    CJsonLine& Add(std::string_view key, std::wstring_view value);
    CJsonLine& Add(std::string_view key, std::string_view value);
    CJsonLine& Add(std::string_view key, long long value);
    std::string Text() const;

private:
    void AddKey(std::string_view key);

    std::string m_fields;
};

// value as a JSON string literal, quotes included; the bytes must be UTF-8.
std::string JsonQuote(std::string_view value);

}  // namespace platform
