#include "cquill/src/sdr/SdrProtocol.h"

#include "cquill/src/sdr/SdrRequest.h"

#include <climits>
#include <cstdint>

namespace quill::sdr {

namespace {

const std::string kKeyPrefix = "sdr";
const std::string kQueryRoot = "PRODUCT";

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The ideographic space is the multibyte blank of the process charset (UTF-8).
constexpr std::string_view kWideBlank = "\xE3\x80\x80";

char UpperAscii(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool EqualsNoCase(std::string_view left, std::string_view right)
{
    if (left.size() != right.size())
        return false;
    for (std::size_t i = 0; i < left.size(); ++i) {
        if (UpperAscii(left[i]) != UpperAscii(right[i]))
            return false;
    }
    return true;
}

std::string FieldOrEmpty(const std::vector<std::string>& fields, std::size_t index)
{
    return index < fields.size() ? fields[index] : std::string();
}

}  // namespace

std::vector<std::string> Split(std::string_view text, std::string_view separator)
{
    if (text.empty() || separator.empty())
        return {std::string(text)};
    std::vector<std::string> tokens;
    std::size_t start = 0;
    for (auto found = text.find(separator); found != std::string_view::npos; found = text.find(separator, start)) {
        tokens.emplace_back(text.substr(start, found - start));
        start = found + separator.size();
    }
    tokens.emplace_back(text.substr(start));
    return tokens;
}

int ReadDecimal(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    std::int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<std::int64_t>(INT_MAX) + 1)
            break;
    }
    value = negative ? -value : value;
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}

std::string_view TrimKey(std::string_view key)
{
    while (true) {
        if (!key.empty() && IsBlank(key.front()))
            key.remove_prefix(1);
        else if (key.starts_with(kWideBlank))
            key.remove_prefix(kWideBlank.size());
        else if (!key.empty() && IsBlank(key.back()))
            key.remove_suffix(1);
        else if (key.ends_with(kWideBlank))
            key.remove_suffix(kWideBlank.size());
        else
            return key;
    }
}

bool IsValidKey(std::string_view key)
{
    return EqualsNoCase(Split(TrimKey(key), ".").front(), kKeyPrefix);
}

std::string BuildQuery(std::string_view key)
{
    const auto tokens = Split(TrimKey(key), ".");
    std::string query = kQueryRoot;
    for (std::size_t i = 1; i < tokens.size(); ++i)
        query += "/" + tokens[i];
    // Only ASCII letters change case, so multibyte sequences pass through intact.
    for (char& c : query)
        c = UpperAscii(c);
    return query;
}

std::optional<std::string> BuildFrame(std::string_view payload)
{
    if (payload.size() > kMaxPayload)
        return std::nullopt;
    std::string frame;
    frame += '\x01';
    frame += static_cast<char>(payload.size() >> 8);
    frame += static_cast<char>(payload.size() & 0xFF);
    frame += payload;
    return frame;
}

std::optional<std::size_t> AnnouncedLength(std::string_view frame)
{
    if (frame.size() < kFrameHeaderSize)
        return std::nullopt;
    return static_cast<std::size_t>(static_cast<unsigned char>(frame[1]) << 8 | static_cast<unsigned char>(frame[2]));
}

std::vector<SdrEntry> ParseEntries(std::string_view payload)
{
    std::vector<SdrEntry> entries;
    for (const auto& record : Split(payload, "|")) {
        const auto fields = Split(record, ":");
        SdrEntry entry;
        entry.column1 = FieldOrEmpty(fields, 0);
        entry.column2 = FieldOrEmpty(fields, 1);
        entry.port = fields.size() >= 3 ? static_cast<unsigned short>(ReadDecimal(fields[2]) & 0xFFFF) : 0;
        entry.column4 = FieldOrEmpty(fields, 3);
        entry.column5 = FieldOrEmpty(fields, 4);
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::string DescribeRequest(const SdrRequest& request)
{
    return "request info\nIP:" + request.host + "   port:" + std::to_string(request.port) + "\nkey" + request.key;
}

}  // namespace quill::sdr
