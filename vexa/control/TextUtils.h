#pragma once
#include <cstddef>
#include <string>
#include <vector>

// Writes the text as UTF-8 with a terminating zero. False, with nothing written,
// when the text and its terminator would not be smaller than the buffer.
bool ToUtf8(const std::wstring& text, char* buffer, std::size_t bufferSize);

// Narrow text in the process's ANSI charset -> wide text.
std::wstring ToWide(const std::string& text);

// White space as the updater reads it everywhere (arguments, versions, pieces):
// the ASCII blanks and the Unicode spaces such as U+3000, whatever the locale.
bool IsWhiteSpace(wchar_t c);
std::wstring TrimWhiteSpace(const std::wstring& text);

// The C0 and C1 control characters and DEL (U+0000-U+001F, U+007F-U+009F).
bool IsControlCharacter(wchar_t c);

// Cuts the text at every separator; the pieces, trimmed of white space, that are
// not empty go to out in order (out is emptied first).
void SplitString(const std::wstring& text, wchar_t separator, std::vector<std::wstring>& out);
