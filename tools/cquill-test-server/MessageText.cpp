#include "MessageText.h"

#include <memory>
#include <sstream>
#include <stdexcept>

#include "RawField.h"

namespace test_server {
namespace {

int HexDigit(char c)
{
    const std::string digits = "0123456789abcdef";
    const auto at = digits.find(static_cast<char>(c | 0x20));
    if (at == std::string::npos)
        throw std::invalid_argument(std::string("not a hexadecimal digit: ") + c);
    return static_cast<int>(at);
}

std::string CountingBytes(unsigned long count)
{
    std::string bytes(count, '\0');
    for (unsigned long i = 0; i < count; ++i)
        bytes[i] = static_cast<char>(i & 0xFF);
    return bytes;
}

IMessage::CompressFlagEnum ParseCompressFlag(const std::string& text)
{
    if (text == "never")
        return IMessage::CompressNever;
    if (text == "large")
        return IMessage::CompressIfLarge;
    if (text == "always")
        return IMessage::CompressAlways;
    throw std::invalid_argument("compress is never, large or always: " + text);
}

void ApplySetting(varo::Message& message, const std::string& name, const std::string& value)
{
    if (name == "version")
        message.version = static_cast<uint8_t>(ParseNumber(value, 0xFF));
    else if (name == "chain")
        message.chain = static_cast<uint8_t>(ParseNumber(value, 0xFF));
    else if (name == "tid")
        message.tid = static_cast<uint32_t>(ParseNumber(value, 0xFFFFFFFF));
    else if (name == "seq")
        message.sequenceNumber = static_cast<uint32_t>(ParseNumber(value, 0xFFFFFFFF));
    else if (name == "compress")
        message.compressFlag = ParseCompressFlag(value);
    else
        throw std::invalid_argument("unknown message setting: " + name);
}

void ApplyItem(varo::Message& message, const std::string& item)
{
    const auto split = item.find_first_of("=:*");
    if (split == std::string::npos)
        throw std::invalid_argument("not a message item: " + item);
    const std::string head = item.substr(0, split);
    const std::string tail = item.substr(split + 1);
    if (item[split] == '=')
        return ApplySetting(message, head, tail);
    const auto pid = static_cast<uint32_t>(ParseNumber(head, 0xFFFFFFFF));
    const std::string body = item[split] == ':' ? ParseHex(tail) : CountingBytes(ParseNumber(tail, 0xFFFF));
    message.AddField(std::make_shared<RawField>(pid, body));
}

}  // namespace

varo::Message ParseMessage(const std::string& text)
{
    varo::Message message;
    std::istringstream items(text);
    for (std::string item; std::getline(items, item, ',');)
        if (!item.empty())
            ApplyItem(message, item);
    return message;
}

std::string ParseHex(const std::string& hex)
{
    if (hex.size() % 2 != 0)
        throw std::invalid_argument("odd number of hexadecimal digits: " + hex);
    std::string bytes;
    for (std::size_t i = 0; i < hex.size(); i += 2)
        bytes.push_back(static_cast<char>(HexDigit(hex[i]) << 4 | HexDigit(hex[i + 1])));
    return bytes;
}

std::string FormatHex(const std::string& bytes)
{
    const char* digits = "0123456789abcdef";
    std::string hex;
    for (unsigned char byte : bytes) {
        hex += digits[byte >> 4];
        hex += digits[byte & 0xF];
    }
    return hex;
}

unsigned long ParseNumber(const std::string& text, unsigned long maximum)
{
    std::size_t used = 0;
    unsigned long value = 0;
    try {
        value = std::stoul(text, &used, 0);
    } catch (const std::logic_error&) {
        throw std::invalid_argument("not a number: " + text);
    }
    if (used != text.size() || value > maximum || text.front() == '-')
        throw std::invalid_argument("not a number up to " + std::to_string(maximum) + ": " + text);
    return value;
}

}  // namespace test_server
