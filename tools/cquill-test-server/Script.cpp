#include "Script.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

#include "MessageText.h"
#include "PacketCodec.h"

namespace test_server {
namespace {

// Messages separated by '/', encoded back to back.
std::string EncodeMessages(const std::string& text)
{
    std::string bytes;
    std::istringstream messages(text);
    for (std::string message; std::getline(messages, message, '/');) {
        varo::Message parsed = ParseMessage(message);
        try {
            bytes += EncodePacket(parsed);
        } catch (const my_exception& failure) {
            throw std::invalid_argument(failure.operation + ": " + failure.reason);
        }
    }
    return bytes;
}

std::string WithoutSpaces(std::string text)
{
    std::erase_if(text, [](char c) { return c == ' ' || c == '\t'; });
    return text;
}

Step MakeStep(Step::Kind kind, unsigned long count = 0, std::string bytes = {})
{
    return Step{kind, count, std::move(bytes)};
}

}  // namespace

Step ParseStep(const std::string& text)
{
    const auto equals = text.find('=');
    const std::string name = text.substr(0, equals);
    const bool hasValue = equals != std::string::npos;
    const std::string value = hasValue ? text.substr(equals + 1) : "";
    if (name == "echo")
        return MakeStep(Step::Echo, hasValue ? ParseNumber(value, 1000000) : 0);
    if (name == "read" && hasValue)
        return MakeStep(Step::Read, ParseNumber(value, 1000000));
    if (name == "send" && hasValue)
        return MakeStep(Step::Write, 0, EncodeMessages(value));
    if (name == "split" && hasValue)
        return MakeStep(Step::WriteSplit, 0, EncodeMessages(value));
    if (name == "raw" && hasValue)
        return MakeStep(Step::Write, 0, ParseHex(WithoutSpaces(value)));
    if (name == "inflate" && hasValue)
        return MakeStep(Step::Write, 0, InflatingPacket(static_cast<uint32_t>(ParseNumber(value, 0xFFFFFFFF))));
    if (name == "wait" && hasValue)
        return MakeStep(Step::Wait, ParseNumber(value, 3600000));
    if (text == "close")
        return MakeStep(Step::Close);
    if (text == "silent")
        return MakeStep(Step::Silent);
    if (text == "noread")
        return MakeStep(Step::NoRead);
    throw std::invalid_argument("unknown step: " + text);
}

std::vector<Step> LoadScript(const std::string& path)
{
    std::ifstream file(path);
    if (!file)
        throw std::invalid_argument("cannot read the script " + path);
    std::vector<Step> steps;
    int number = 0;
    for (std::string line; std::getline(file, line);) {
        ++number;
        const auto first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos || line[first] == '#')
            continue;
        const auto last = line.find_last_not_of(" \t\r");
        try {
            steps.push_back(ParseStep(line.substr(first, last - first + 1)));
        } catch (const std::invalid_argument& error) {
            throw std::invalid_argument(path + ":" + std::to_string(number) + ": " + error.what());
        }
    }
    return steps;
}

}  // namespace test_server
