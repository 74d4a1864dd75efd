#include "platform/process.h"

namespace platform {
namespace {

bool IsBlank(wchar_t c)
{
    return c == L' ' || c == L'\t';
}

// Handles a run of backslashes at position i: before a quote, pairs become single
// backslashes and an odd one escapes the quote; elsewhere they stay as they are.
size_t TakeBackslashes(std::wstring_view text, size_t i, std::wstring& argument, bool& escapedQuote)
{
    size_t count = 0;
    while (i + count < text.size() && text[i + count] == L'\\')
        ++count;
    const bool beforeQuote = i + count < text.size() && text[i + count] == L'"';
    argument.append(beforeQuote ? count / 2 : count, L'\\');
    escapedQuote = beforeQuote && count % 2 == 1;
    if (escapedQuote)
        argument += L'"';
    return count + (escapedQuote ? 1 : 0);
}

}  // namespace

std::vector<std::wstring> SplitParameters(std::wstring_view parameters)
{
    std::vector<std::wstring> arguments;
    size_t i = 0;
    for (;;) {
        while (i < parameters.size() && IsBlank(parameters[i]))
            ++i;
        if (i == parameters.size())
            return arguments;
        std::wstring argument;
        bool quoted = false;
        while (i < parameters.size() && (quoted || !IsBlank(parameters[i]))) {
            bool escapedQuote = false;
            if (parameters[i] == L'\\') {
                i += TakeBackslashes(parameters, i, argument, escapedQuote);
            } else if (parameters[i] == L'"') {
                // Inside quotes, a doubled quote stands for one literal quote.
                if (quoted && i + 1 < parameters.size() && parameters[i + 1] == L'"') {
                    argument += L'"';
                    ++i;
                } else {
                    quoted = !quoted;
                }
                ++i;
            } else {
                argument += parameters[i++];
            }
        }
        arguments.push_back(std::move(argument));
    }
}

}  // namespace platform
